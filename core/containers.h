// The library's containers: Vector, Array, List, the hash containers of
// Buckets, and Stack. All of them hold their elements by value, move elements
// properly (String is not trivially copyable), and have constexpr default
// constructors so that globals need no start-up code.
//
// Templates stay thin: the element type is described by an ElementOps record
// and the byte moving, growth and linking live in plain functions
// (core/containers.cpp), shared by every instantiation.
//
// Misuse ends the run through FatalMessage:
//   Vector index outside 0 ... count-1  -> "Vector<T>[i]\nmax_index = count-1"
//   pop from an empty Stack             -> "Stack<T>::pop"
// Allocation failure ends the run through OutOfMemoryReport.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "core/string.h"

// Placement construction without the C++ library's <new>.
struct PlacementTag {};
inline void* operator new(size_t, void* where, PlacementTag) { return where; }
inline void operator delete(void*, void*, PlacementTag) {}

// The library's std::move.
template <class T>
constexpr T&& moveValue(T& value) {
    return static_cast<T&&>(value);
}

// The element type's name in the stop texts. Every element type of a Vector,
// Array or Stack names itself with TAVO_TYPE_NAME (at namespace scope, before
// the first use).
template <class T>
struct TypeName;
#define TAVO_TYPE_NAME(T, text) \
    template <>                 \
    struct TypeName<T> {        \
        static constexpr const char* name = text; \
    }
TAVO_TYPE_NAME(bool, "bool");
TAVO_TYPE_NAME(char, "char");
TAVO_TYPE_NAME(unsigned char, "unsigned char");
TAVO_TYPE_NAME(short, "short");
TAVO_TYPE_NAME(unsigned short, "unsigned short");
TAVO_TYPE_NAME(int, "int");
TAVO_TYPE_NAME(unsigned, "unsigned int");
TAVO_TYPE_NAME(long, "long");
TAVO_TYPE_NAME(unsigned long, "unsigned long");
TAVO_TYPE_NAME(long long, "__int64");
TAVO_TYPE_NAME(unsigned long long, "unsigned __int64");
TAVO_TYPE_NAME(String, "String");

// ---------------------------------------------------------------------------
// Element description shared by the type-agnostic helpers.

struct ElementOps {
    int32_t size;
    const char* typeName;
    // Null members mean the cheap case: construct = zero the bytes,
    // relocate = memmove, destroy = nothing.
    void (*construct)(void* at, int32_t n);
    // Move-constructs n elements at `to` from `from` and destroys the sources.
    // The ranges may overlap; slots of `to` outside `from` hold no element.
    void (*relocate)(void* to, void* from, int32_t n);
    void (*destroy)(void* at, int32_t n);
};

template <class T>
struct ElementOpsOf {
    static void construct(void* at, int32_t n) {
        T* p = static_cast<T*>(at);
        for (int32_t i = 0; i < n; i++) new (p + i, PlacementTag()) T();
    }
    static void relocate(void* to, void* from, int32_t n) {
        T* d = static_cast<T*>(to);
        T* s = static_cast<T*>(from);
        if (d < s) {
            for (int32_t i = 0; i < n; i++) moveOne(d + i, s + i);
        } else {
            for (int32_t i = n; i-- > 0;) moveOne(d + i, s + i);
        }
    }
    static void destroy(void* at, int32_t n) {
        T* p = static_cast<T*>(at);
        for (int32_t i = 0; i < n; i++) p[i].~T();
    }
    static void moveOne(T* d, T* s) {
        new (d, PlacementTag()) T(moveValue(*s));
        s->~T();
    }
    static constexpr bool plain = __is_trivially_copyable(T);
    static constexpr ElementOps ops = {
        int32_t(sizeof(T)),
        TypeName<T>::name,
        __is_trivially_constructible(T) ? nullptr : &construct,
        plain ? nullptr : &relocate,
        plain ? nullptr : &destroy,
    };
};

// "Vector<%s>[%d]\nmax_index = %d" through FatalMessage.
[[noreturn]] void VectorIndexStop(const char* typeName, int32_t index, int32_t count);
// "Stack<%s>::pop" through FatalMessage.
[[noreturn]] void StackPopStop(const char* typeName);

// malloc that ends the run through OutOfMemoryReport instead of failing.
void* allocateOrStop(size_t size);

// ---------------------------------------------------------------------------
// Vector: an indexable sequence with a count. Grows to exactly the count it
// needs; use Array for sequences built by appending in a loop.

class VectorBase {
public:
    int32_t count() const { return count_; }
    bool isEmpty() const { return count_ < 1; }
    int32_t capacity() const { return capacity_; }

protected:
    constexpr explicit VectorBase(bool geometric)
        : items_(nullptr), count_(0), capacity_(0), geometric_(geometric) {}

    // Makes room for `needed` elements; the count is unchanged.
    void reserve(const ElementOps& ops, int32_t needed);
    // Shifts elements index... up by n and counts the n new slots, which hold
    // no element: the caller constructs them. `index` is 0 ... count.
    void* openGap(const ElementOps& ops, int32_t index, int32_t n);
    // Destroys elements index ... index+n-1 and closes the gap.
    void closeGap(const ElementOps& ops, int32_t index, int32_t n);
    // New elements are default-constructed; dropped ones destroyed.
    void setCount(const ElementOps& ops, int32_t n);
    // Destroys every element and frees the buffer.
    void release(const ElementOps& ops);
    // Takes `other`'s elements over, leaving it empty. Frees nothing.
    void takeOver(VectorBase& other);

    void* items_;
    int32_t count_;
    int32_t capacity_;
    bool geometric_;
};

template <class T>
class Vector : public VectorBase {
public:
    constexpr Vector() : VectorBase(false) {}
    explicit Vector(int32_t count) : VectorBase(false) { setCount(ops(), count); }
    Vector(const Vector& other) : VectorBase(other.geometric_) { copyFrom(other); }
    Vector(Vector&& other) : VectorBase(other.geometric_) { takeOver(other); }
    ~Vector() { release(ops()); }

    Vector& operator=(const Vector& other) {
        if (this != &other) {
            release(ops());
            copyFrom(other);
        }
        return *this;
    }
    Vector& operator=(Vector&& other) {
        if (this != &other) {
            release(ops());
            takeOver(other);
        }
        return *this;
    }

    // Checked access: an index outside 0 ... count-1 ends the run.
    T& at(int32_t i) { return items()[checked(i)]; }
    const T& at(int32_t i) const { return items()[checked(i)]; }
    T& operator[](int32_t i) { return at(i); }
    const T& operator[](int32_t i) const { return at(i); }
    T& first() { return at(0); }
    T& last() { return at(count_ - 1); }

    void append(const T& value) { insert(count_, value); }
    void append(T&& value) { insert(count_, moveValue(value)); }
    // `index` is 0 ... count (count appends).
    void insert(int32_t index, const T& value) {
        T copy(value);  // `value` may live in this vector, which is about to move
        insert(index, moveValue(copy));
    }
    void insert(int32_t index, T&& value) {
        if (uint32_t(index) > uint32_t(count_)) VectorIndexStop(TypeName<T>::name, index, count_);
        new (openGap(ops(), index, 1), PlacementTag()) T(moveValue(value));
    }
    void remove(int32_t index) { closeGap(ops(), checked(index), 1); }
    // Removes the element at `index` and hands it to the caller.
    T take(int32_t index) {
        T value(moveValue(at(index)));
        closeGap(ops(), index, 1);
        return value;
    }
    void clear() { release(ops()); }
    void resize(int32_t n) { setCount(ops(), n); }
    void reserve(int32_t n) { VectorBase::reserve(ops(), n); }

    // Range-for walks the elements from first to last. Changing the count
    // while walking invalidates the walk.
    T* begin() { return items(); }
    T* end() { return items() + count_; }
    const T* begin() const { return items(); }
    const T* end() const { return items() + count_; }

protected:
    struct Geometric {};
    constexpr explicit Vector(Geometric) : VectorBase(true) {}

private:
    static const ElementOps& ops() { return ElementOpsOf<T>::ops; }
    T* items() const { return static_cast<T*>(items_); }
    int32_t checked(int32_t i) const {
        if (uint32_t(i) >= uint32_t(count_)) VectorIndexStop(TypeName<T>::name, i, count_);
        return i;
    }
    void copyFrom(const Vector& other) {
        VectorBase::reserve(ops(), other.count_);
        for (int32_t i = 0; i < other.count_; i++) new (items() + i, PlacementTag()) T(other.items()[i]);
        count_ = other.count_;
    }
};

// Array: a Vector that grows by half again (at least 8 slots), so that
// appending in a loop reallocates rarely.
template <class T>
class Array : public Vector<T> {
public:
    constexpr Array() : Vector<T>(typename Vector<T>::Geometric()) {}
};

// ---------------------------------------------------------------------------
// List: a doubly linked sequence. Each element lives in its own node, so
// references to elements stay valid until that element is removed.

struct ListLink {
    ListLink* next;
    ListLink* prev;
};

class ListBase {
public:
    int32_t count() const { return count_; }
    bool isEmpty() const { return count_ < 1; }

protected:
    constexpr ListBase() : first_(nullptr), last_(nullptr), count_(0) {}
    // Links `link` in before `before` (null: at the end).
    void linkBefore(ListLink* link, ListLink* before);
    void unlink(ListLink* link);
    // Empties the list and returns its former first link; the caller frees.
    ListLink* unlinkAll();

    ListLink* first_;
    ListLink* last_;
    int32_t count_;
};

template <class T>
class List : public ListBase {
    struct Node : ListLink {
        explicit Node(const T& v) : ListLink{nullptr, nullptr}, value(v) {}
        explicit Node(T&& v) : ListLink{nullptr, nullptr}, value(moveValue(v)) {}
        T value;
    };

public:
    class Iterator {
    public:
        explicit Iterator(ListLink* link) : link_(link) {}
        T& operator*() const { return static_cast<Node*>(link_)->value; }
        T* operator->() const { return &static_cast<Node*>(link_)->value; }
        Iterator& operator++() {
            link_ = link_->next;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return link_ != other.link_; }
        bool operator==(const Iterator& other) const { return link_ == other.link_; }

    private:
        friend class List;
        ListLink* link_;
    };

    constexpr List() {}
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    ~List() { clear(); }

    T& append(const T& value) { return add(new (node(), PlacementTag()) Node(value), nullptr); }
    T& append(T&& value) { return add(new (node(), PlacementTag()) Node(moveValue(value)), nullptr); }
    T& prepend(const T& value) { return add(new (node(), PlacementTag()) Node(value), first_); }
    T& prepend(T&& value) { return add(new (node(), PlacementTag()) Node(moveValue(value)), first_); }

    // Null when the list is empty.
    T* first() const { return first_ ? &static_cast<Node*>(first_)->value : nullptr; }
    T* last() const { return last_ ? &static_cast<Node*>(last_)->value : nullptr; }

    // Removes the element `at` stands on; returns the position after it.
    Iterator remove(Iterator at) {
        ListLink* next = at.link_->next;
        unlink(at.link_);
        drop(static_cast<Node*>(at.link_));
        return Iterator(next);
    }
    // False when the list is empty.
    bool removeFirst() {
        if (!first_) return false;
        remove(begin());
        return true;
    }
    bool removeLast() {
        if (!last_) return false;
        remove(Iterator(last_));
        return true;
    }

    void clear() {
        for (ListLink* link = unlinkAll(); link;) {
            ListLink* next = link->next;
            drop(static_cast<Node*>(link));
            link = next;
        }
    }

    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(nullptr); }

private:
    static void* node() { return allocateOrStop(sizeof(Node)); }
    T& add(Node* n, ListLink* before) {
        linkBefore(n, before);
        return n->value;
    }
    static void drop(Node* n);
};

// ---------------------------------------------------------------------------
// Hash containers: buckets chained per slot (hash of the key modulo the
// number of slots), and every Bucket also linked into one list in insertion
// order, which is the order of iteration.

template <class K>
struct KeyHash;
template <>
struct KeyHash<int> {
    static uint32_t of(int key) { return uint32_t(key); }
    static bool equal(int a, int b) { return a == b; }
};
template <>
struct KeyHash<String> {
    static uint32_t of(const String& key) { return key.hash(); }
    static bool equal(const String& a, const String& b) { return a.equals(b); }
};

// A Bucket's place in its slot's chain and in the insertion order.
struct HashLink {
    HashLink* chainNext;
    HashLink* orderNext;
    HashLink* orderPrev;
    uint32_t hash;
};

template <class K, class V>
struct Bucket : HashLink {
    Bucket(const K& k, const V& v) : HashLink{nullptr, nullptr, nullptr, 0}, key(k), value(v) {}
    K key;
    V value;
};

class HashTableBase {
public:
    int32_t count() const { return count_; }
    bool isEmpty() const { return count_ < 1; }
    int32_t slotCount() const { return slotCount_; }

protected:
    constexpr explicit HashTableBase(int32_t slotCount)
        : slots_(nullptr), slotCount_(slotCount > 0 ? slotCount : 0), first_(nullptr), last_(nullptr),
          count_(0) {}

    // The first link of the chain for `hash`; null when none (or no slots).
    HashLink* chain(uint32_t hash) const { return slots_ ? slots_[hash % uint32_t(slotCount_)] : nullptr; }
    // Links a new bucket into its chain and at the end of the order. The slots
    // are allocated on first use. Only called when slotCount_ > 0.
    void link(HashLink* link, uint32_t hash);
    // Takes the bucket out of its chain and the order.
    void unlink(HashLink* link);
    // Empties the container (slots freed) and returns the former first link
    // of the order; the caller frees the buckets.
    HashLink* unlinkAll();

    HashLink** slots_;
    int32_t slotCount_;
    HashLink* first_;
    HashLink* last_;
    int32_t count_;
};

template <class K, class V>
class HashTable : public HashTableBase {
public:
    typedef ::Bucket<K, V> BucketType;

    class Iterator {
    public:
        explicit Iterator(HashLink* link) : link_(link) {}
        BucketType& operator*() const { return *static_cast<BucketType*>(link_); }
        BucketType* operator->() const { return static_cast<BucketType*>(link_); }
        Iterator& operator++() {
            link_ = link_->orderNext;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return link_ != other.link_; }

    private:
        HashLink* link_;
    };

    // A container with no slots holds nothing: insert stores nothing and
    // returns false, lookups find nothing.
    constexpr explicit HashTable(int32_t slotCount = 64) : HashTableBase(slotCount) {}
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;
    ~HashTable() { clear(); }

    // True when a new bucket was added; false when the key was there (its
    // value is replaced) or the container has no slots.
    bool insert(const K& key, const V& value) {
        if (BucketType* b = bucketFor(key)) {
            b->value = value;
            return false;
        }
        if (slotCount_ < 1) return false;
        BucketType* b = new (allocateOrStop(sizeof(BucketType)), PlacementTag()) BucketType(key, value);
        link(b, KeyHash<K>::of(key));
        return true;
    }
    bool contains(const K& key) const { return bucketFor(key) != nullptr; }
    // The value stored for `key`, or null. Valid until the key is removed.
    V* lookup(const K& key) const {
        BucketType* b = bucketFor(key);
        return b ? &b->value : nullptr;
    }
    BucketType* bucketFor(const K& key) const {
        uint32_t hash = KeyHash<K>::of(key);
        for (HashLink* l = chain(hash); l; l = l->chainNext) {
            BucketType* b = static_cast<BucketType*>(l);
            if (l->hash == hash && KeyHash<K>::equal(b->key, key)) return b;
        }
        return nullptr;
    }
    bool remove(const K& key) {
        BucketType* b = bucketFor(key);
        if (!b) return false;
        unlink(b);
        drop(b);
        return true;
    }
    void clear() {
        for (HashLink* link = unlinkAll(); link;) {
            HashLink* next = link->orderNext;
            drop(static_cast<BucketType*>(link));
            link = next;
        }
    }

    // Range-for yields the Buckets in the order their keys were first inserted.
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(nullptr); }

private:
    static void drop(BucketType* b);
};

// The system's three hash containers.
typedef HashTable<int, int> IntegerMap;
typedef HashTable<String, bool> NameSet;
template <class Callback>
using CallbackMap = HashTable<int, Callback>;

// ---------------------------------------------------------------------------
// Stack: last in, first out.

template <class T>
class Stack {
public:
    constexpr Stack() {}

    void push(const T& value) { items_.append(value); }
    void push(T&& value) { items_.append(moveValue(value)); }
    // Ends the run with "Stack<T>::pop" when empty.
    T pop() {
        if (items_.isEmpty()) StackPopStop(TypeName<T>::name);
        return items_.take(items_.count() - 1);
    }
    // The element on top; an empty stack ends the run like an index outside
    // a Vector.
    T& top() { return items_.last(); }
    bool isEmpty() const { return items_.isEmpty(); }
    int32_t count() const { return items_.count(); }
    void clear() { items_.clear(); }

    // Range-for walks from the bottom to the top.
    T* begin() { return items_.begin(); }
    T* end() { return items_.end(); }

private:
    Array<T> items_;
};

// ---------------------------------------------------------------------------

template <class T>
void List<T>::drop(Node* n) {
    n->~Node();
    free(n);
}

template <class K, class V>
void HashTable<K, V>::drop(BucketType* b) {
    b->~BucketType();
    free(b);
}
