#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/containers.h"

// An element that is not trivially copyable and counts its live instances,
// so that every move, growth and removal can be checked for leaks and for
// elements destroyed twice.
struct Tracked {
    static int live;
    int value;
    Tracked() : value(-1) { live++; }
    Tracked(int v) : value(v) { live++; }
    Tracked(const Tracked& o) : value(o.value) { live++; }
    Tracked(Tracked&& o) : value(o.value) {
        o.value = -2;
        live++;
    }
    Tracked& operator=(const Tracked& o) {
        value = o.value;
        return *this;
    }
    ~Tracked() { live--; }
};
int Tracked::live = 0;
TAVO_TYPE_NAME(Tracked, "Tracked");

namespace {

template <class V>
std::vector<int> valuesOf(const V& v) {
    std::vector<int> out;
    for (const auto& e : v) out.push_back(int(e));
    return out;
}

std::vector<std::string> textsOf(const Vector<String>& v) {
    std::vector<std::string> out;
    for (const String& s : v) out.push_back(s.text());
    return out;
}

TEST(ContainersVector, AppendInsertRemoveTakeKeepOrder) {
    Vector<int> v;
    for (int i = 1; i <= 5; i++) v.append(i * 10);
    v.insert(0, 5);
    v.insert(3, 25);
    v.insert(v.count(), 99);
    EXPECT_EQ(valuesOf(v), (std::vector<int>{5, 10, 20, 25, 30, 40, 50, 99}));
    v.remove(0);
    v.remove(v.count() - 1);
    EXPECT_EQ(v.take(2), 25);
    EXPECT_EQ(valuesOf(v), (std::vector<int>{10, 20, 30, 40, 50}));
    EXPECT_EQ(v.first(), 10);
    EXPECT_EQ(v.last(), 50);
    v.clear();
    EXPECT_TRUE(v.isEmpty());
    EXPECT_EQ(v.begin(), v.end());
}

TEST(ContainersVector, StringElementsSurviveGrowthAndShifts) {
    Array<String> v;
    std::vector<std::string> expected;
    for (int i = 0; i < 100; i++) {
        String s = formatText("text %d", i);
        if (i % 3 == 0) {
            v.insert(0, s);
            expected.insert(expected.begin(), s.text());
        } else {
            v.append(s);
            expected.push_back(s.text());
        }
    }
    v.remove(50);
    expected.erase(expected.begin() + 50);
    String taken = v.take(0);
    EXPECT_EQ(std::string(taken.text()), expected.front());
    expected.erase(expected.begin());
    EXPECT_EQ(textsOf(v), expected);
}

TEST(ContainersVector, AppendingOwnElementWhileGrowingCopiesItFirst) {
    Vector<String> v;
    v.append(String("first"));
    for (int i = 0; i < 10; i++) v.append(v[0]);
    v.insert(0, v[v.count() - 1]);
    ASSERT_EQ(v.count(), 12);
    for (const String& s : v) EXPECT_STREQ(s.text(), "first");
}

TEST(ContainersVector, ConstructsMovesAndDestroysEachElementOnce) {
    Tracked::live = 0;
    {
        Array<Tracked> a;
        for (int i = 0; i < 50; i++) a.append(Tracked(i));
        a.insert(0, Tracked(100));
        a.remove(10);
        a.resize(60);
        EXPECT_EQ(a[59].value, -1);
        a.resize(20);
        EXPECT_EQ(Tracked::live, 20);

        Array<Tracked> copy(a);
        EXPECT_EQ(Tracked::live, 40);
        Array<Tracked> moved(moveValue(copy));
        EXPECT_EQ(Tracked::live, 40);
        EXPECT_TRUE(copy.isEmpty());
        EXPECT_EQ(moved[0].value, 100);
        EXPECT_EQ(moved[10].value, 10);
        moved = a;
        EXPECT_EQ(Tracked::live, 40);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(ContainersVector, VectorGrowsExactlyArrayByHalfAgain) {
    Vector<int> exact;
    Array<int> growing;
    std::vector<int> exactCapacities, growingCapacities;
    for (int i = 0; i < 20; i++) {
        exact.append(i);
        growing.append(i);
        exactCapacities.push_back(exact.capacity());
        if (growingCapacities.empty() || growingCapacities.back() != growing.capacity()) {
            growingCapacities.push_back(growing.capacity());
        }
    }
    EXPECT_EQ(exactCapacities.back(), 20);
    EXPECT_EQ(exactCapacities.front(), 1);
    EXPECT_EQ(growingCapacities, (std::vector<int>{8, 12, 18, 27}));
}

TEST(ContainersVector, ResizeFillsWithEmptyElements) {
    Vector<int> numbers(3);
    EXPECT_EQ(valuesOf(numbers), (std::vector<int>{0, 0, 0}));
    Vector<String> texts;
    texts.append(String("kept"));
    texts.resize(3);
    EXPECT_EQ(textsOf(texts), (std::vector<std::string>{"kept", "", ""}));
    texts.resize(0);
    EXPECT_TRUE(texts.isEmpty());
}

TEST(ContainersVectorDeathTest, IndexOutsideTheElementsStops) {
    struct Case {
        int count;
        int index;
        const char* message;
    } cases[] = {
        {3, 3, "FATAL ERROR: Vector<int>\\[3\\]\nmax_index = 2\n"},
        {3, -1, "Vector<int>\\[-1\\]\nmax_index = 2\n"},
        {0, 0, "Vector<int>\\[0\\]\nmax_index = -1\n"},
    };
    for (const Case& c : cases) {
        Vector<int> v(c.count);
        EXPECT_EXIT(v[c.index], ::testing::ExitedWithCode(1), c.message) << c.count << " " << c.index;
    }
}

TEST(ContainersVectorDeathTest, EveryIndexedOperationIsGuarded) {
    Vector<String> v;
    v.append(String("a"));
    EXPECT_EXIT(v.remove(1), ::testing::ExitedWithCode(1), "Vector<String>\\[1\\]\nmax_index = 0\n");
    EXPECT_EXIT(v.take(-5), ::testing::ExitedWithCode(1), "Vector<String>\\[-5\\]");
    EXPECT_EXIT(v.insert(2, String("x")), ::testing::ExitedWithCode(1), "Vector<String>\\[2\\]");
    Vector<String> empty;
    EXPECT_EXIT(empty.last(), ::testing::ExitedWithCode(1), "Vector<String>\\[-1\\]\nmax_index = -1\n");
}

TEST(ContainersList, KeepsOrderAndRemovesWhileWalking) {
    Tracked::live = 0;
    {
        List<Tracked> list;
        EXPECT_EQ(list.first(), nullptr);
        EXPECT_FALSE(list.removeFirst());
        EXPECT_FALSE(list.removeLast());
        for (int i = 1; i <= 6; i++) list.append(Tracked(i));
        list.prepend(Tracked(0));
        for (auto it = list.begin(); it != list.end();) {
            it = it->value % 2 ? list.remove(it) : ++it;
        }
        std::vector<int> values;
        for (const Tracked& t : list) values.push_back(t.value);
        EXPECT_EQ(values, (std::vector<int>{0, 2, 4, 6}));
        EXPECT_EQ(list.count(), 4);
        EXPECT_TRUE(list.removeFirst());
        EXPECT_TRUE(list.removeLast());
        EXPECT_EQ(list.first()->value, 2);
        EXPECT_EQ(list.last()->value, 4);
        EXPECT_EQ(Tracked::live, 2);
    }
    EXPECT_EQ(Tracked::live, 0);
}

template <class Table>
std::vector<int> keysOf(const Table& table) {
    std::vector<int> keys;
    for (const auto& bucket : table) keys.push_back(bucket.key);
    return keys;
}

TEST(ContainersHashTable, IteratesInInsertionOrderAcrossChains) {
    // Three slots: the keys share chains, and chain order differs from
    // insertion order.
    IntegerMap map(3);
    const int keys[] = {7, 3, 12, 0, -4, 9, 100, 1, 6};
    for (int k : keys) EXPECT_TRUE(map.insert(k, k * 2)) << k;
    EXPECT_EQ(keysOf(map), std::vector<int>(std::begin(keys), std::end(keys)));
    EXPECT_EQ(map.count(), 9);
    for (int k : keys) {
        ASSERT_NE(map.lookup(k), nullptr) << k;
        EXPECT_EQ(*map.lookup(k), k * 2);
    }
    EXPECT_FALSE(map.contains(2));
    EXPECT_EQ(map.lookup(15), nullptr);
}

TEST(ContainersHashTable, InsertOfAKnownKeyReplacesTheValueInPlace) {
    IntegerMap map(5);
    EXPECT_TRUE(map.insert(1, 10));
    EXPECT_TRUE(map.insert(2, 20));
    EXPECT_FALSE(map.insert(1, 11));
    EXPECT_EQ(*map.lookup(1), 11);
    EXPECT_EQ(keysOf(map), (std::vector<int>{1, 2}));
    EXPECT_EQ(map.count(), 2);
}

TEST(ContainersHashTable, RemovedKeyComesBackAtTheEnd) {
    IntegerMap map(2);
    for (int k = 0; k < 6; k++) map.insert(k, k);
    EXPECT_TRUE(map.remove(0));
    EXPECT_TRUE(map.remove(3));
    EXPECT_TRUE(map.remove(5));
    EXPECT_FALSE(map.remove(5));
    EXPECT_EQ(keysOf(map), (std::vector<int>{1, 2, 4}));
    EXPECT_TRUE(map.insert(0, 0));
    EXPECT_EQ(keysOf(map), (std::vector<int>{1, 2, 4, 0}));
    map.clear();
    EXPECT_TRUE(map.isEmpty());
    EXPECT_TRUE(map.insert(8, 8));
    EXPECT_EQ(keysOf(map), (std::vector<int>{8}));
}

TEST(ContainersHashTable, WithoutSlotsHoldsNothing) {
    IntegerMap map(0);
    EXPECT_FALSE(map.insert(1, 1));
    EXPECT_FALSE(map.contains(1));
    EXPECT_EQ(map.lookup(1), nullptr);
    EXPECT_EQ(map.count(), 0);
    EXPECT_TRUE(keysOf(map).empty());
}

TEST(ContainersHashTable, NameSetComparesWholeTextsCaseSensitively) {
    NameSet names(40);
    EXPECT_TRUE(names.insert(String("C:\\APP"), true));
    EXPECT_TRUE(names.insert(String("C:\\APP\\SUB"), true));
    EXPECT_TRUE(names.insert(String("c:\\app"), true));
    EXPECT_FALSE(names.insert(String("C:\\APP"), true));
    EXPECT_TRUE(names.contains(String("C:\\APP\\SUB")));
    EXPECT_FALSE(names.contains(String("C:\\APP\\")));
    std::vector<std::string> order;
    for (const auto& bucket : names) order.push_back(bucket.key.text());
    EXPECT_EQ(order, (std::vector<std::string>{"C:\\APP", "C:\\APP\\SUB", "c:\\app"}));
}

int twice(int x) { return 2 * x; }
int negated(int x) { return -x; }

TEST(ContainersHashTable, CallbackMapDispatchesByNumber) {
    typedef int (*Handler)(int);
    CallbackMap<Handler> handlers(8);
    handlers.insert(100, twice);
    handlers.insert(200, negated);
    EXPECT_EQ((*handlers.lookup(100))(21), 42);
    EXPECT_EQ((*handlers.lookup(200))(5), -5);
    EXPECT_EQ(handlers.lookup(300), nullptr);
}

TEST(ContainersStack, LastInFirstOut) {
    Stack<String> stack;
    EXPECT_TRUE(stack.isEmpty());
    stack.push(String("bottom"));
    stack.push(String("middle"));
    stack.push(String("top"));
    EXPECT_EQ(stack.count(), 3);
    EXPECT_STREQ(stack.top().text(), "top");
    EXPECT_STREQ(stack.pop().text(), "top");
    EXPECT_STREQ(stack.pop().text(), "middle");
    stack.push(String("again"));
    EXPECT_STREQ(stack.pop().text(), "again");
    EXPECT_STREQ(stack.pop().text(), "bottom");
    EXPECT_TRUE(stack.isEmpty());
}

TEST(ContainersStackDeathTest, PopFromEmptyStops) {
    Stack<int> numbers;
    EXPECT_EXIT(numbers.pop(), ::testing::ExitedWithCode(1), "FATAL ERROR: Stack<int>::pop\n");
    Stack<String> texts;
    texts.push(String("x"));
    texts.pop();
    EXPECT_EXIT(texts.pop(), ::testing::ExitedWithCode(1), "Stack<String>::pop");
    EXPECT_EXIT(texts.top(), ::testing::ExitedWithCode(1), "Vector<String>\\[-1\\]");
}

}  // namespace
