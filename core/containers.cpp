// The type-agnostic half of the containers: growth, byte moving and linking,
// shared by every instantiation so that the templates stay small.
#include "core/containers.h"

#include <string.h>

#include "core/fatal.h"

void VectorIndexStop(const char* typeName, int32_t index, int32_t count) {
    String text = formatText("Vector<%s>[%d]\nmax_index = %d", typeName, index, count - 1);
    FatalMessage(text.text());
}

void StackPopStop(const char* typeName) {
    String text = formatText("Stack<%s>::pop", typeName);
    FatalMessage(text.text());
}

void* allocateOrStop(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p) OutOfMemoryReport(size);
    return p;
}

// ---------------------------------------------------------------------------
// Vector

static void relocate(const ElementOps& ops, void* to, void* from, int32_t n) {
    if (n < 1 || to == from) return;
    if (ops.relocate) {
        ops.relocate(to, from, n);
    } else {
        memmove(to, from, size_t(n) * size_t(ops.size));
    }
}

static char* slotAt(void* items, const ElementOps& ops, int32_t index) {
    return static_cast<char*>(items) + size_t(index) * size_t(ops.size);
}

void VectorBase::reserve(const ElementOps& ops, int32_t needed) {
    if (needed <= capacity_) return;
    int32_t wanted = needed;
    if (geometric_) {
        int64_t larger = int64_t(capacity_) + capacity_ / 2;
        if (larger > wanted && larger <= INT32_MAX / ops.size) wanted = int32_t(larger);
        if (wanted < 8) wanted = 8;
    }
    if (wanted > INT32_MAX / ops.size) OutOfMemoryReport(size_t(needed) * size_t(ops.size));
    size_t bytes = size_t(wanted) * size_t(ops.size);
    void* grown;
    if (!ops.relocate) {
        // Plain bytes: realloc may grow in place.
        grown = realloc(items_, bytes);
        if (!grown) OutOfMemoryReport(bytes);
    } else {
        grown = allocateOrStop(bytes);
        if (count_ > 0) ops.relocate(grown, items_, count_);
        free(items_);
    }
    items_ = grown;
    capacity_ = wanted;
}

void* VectorBase::openGap(const ElementOps& ops, int32_t index, int32_t n) {
    if (n > INT32_MAX - count_) OutOfMemoryReport(size_t(INT32_MAX) * size_t(ops.size));
    reserve(ops, count_ + n);
    relocate(ops, slotAt(items_, ops, index + n), slotAt(items_, ops, index), count_ - index);
    count_ += n;
    return slotAt(items_, ops, index);
}

void VectorBase::closeGap(const ElementOps& ops, int32_t index, int32_t n) {
    if (ops.destroy) ops.destroy(slotAt(items_, ops, index), n);
    relocate(ops, slotAt(items_, ops, index), slotAt(items_, ops, index + n), count_ - index - n);
    count_ -= n;
}

void VectorBase::setCount(const ElementOps& ops, int32_t n) {
    if (n < 0) n = 0;
    if (n < count_) {
        closeGap(ops, n, count_ - n);
        return;
    }
    if (n == count_) return;  // also keeps a null buffer away from memset
    reserve(ops, n);
    char* fresh = slotAt(items_, ops, count_);
    if (ops.construct) {
        ops.construct(fresh, n - count_);
    } else {
        memset(fresh, 0, size_t(n - count_) * size_t(ops.size));
    }
    count_ = n;
}

void VectorBase::release(const ElementOps& ops) {
    if (ops.destroy && count_ > 0) ops.destroy(items_, count_);
    free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

void VectorBase::takeOver(VectorBase& other) {
    items_ = other.items_;
    count_ = other.count_;
    capacity_ = other.capacity_;
    other.items_ = nullptr;
    other.count_ = 0;
    other.capacity_ = 0;
}

// ---------------------------------------------------------------------------
// List

void ListBase::linkBefore(ListLink* link, ListLink* before) {
    link->next = before;
    link->prev = before ? before->prev : last_;
    if (link->prev) {
        link->prev->next = link;
    } else {
        first_ = link;
    }
    if (before) {
        before->prev = link;
    } else {
        last_ = link;
    }
    count_++;
}

void ListBase::unlink(ListLink* link) {
    if (link->prev) {
        link->prev->next = link->next;
    } else {
        first_ = link->next;
    }
    if (link->next) {
        link->next->prev = link->prev;
    } else {
        last_ = link->prev;
    }
    link->next = link->prev = nullptr;
    count_--;
}

ListLink* ListBase::unlinkAll() {
    ListLink* all = first_;
    first_ = last_ = nullptr;
    count_ = 0;
    return all;
}

// ---------------------------------------------------------------------------
// Hash containers

void HashTableBase::link(HashLink* link, uint32_t hash) {
    if (!slots_) {
        size_t bytes = size_t(slotCount_) * sizeof(HashLink*);
        slots_ = static_cast<HashLink**>(allocateOrStop(bytes));
        memset(slots_, 0, bytes);
    }
    HashLink** slot = &slots_[hash % uint32_t(slotCount_)];
    link->hash = hash;
    link->chainNext = *slot;
    *slot = link;
    link->orderNext = nullptr;
    link->orderPrev = last_;
    if (last_) {
        last_->orderNext = link;
    } else {
        first_ = link;
    }
    last_ = link;
    count_++;
}

void HashTableBase::unlink(HashLink* link) {
    HashLink** at = &slots_[link->hash % uint32_t(slotCount_)];
    while (*at != link) at = &(*at)->chainNext;
    *at = link->chainNext;
    if (link->orderPrev) {
        link->orderPrev->orderNext = link->orderNext;
    } else {
        first_ = link->orderNext;
    }
    if (link->orderNext) {
        link->orderNext->orderPrev = link->orderPrev;
    } else {
        last_ = link->orderPrev;
    }
    count_--;
}

HashLink* HashTableBase::unlinkAll() {
    HashLink* all = first_;
    free(slots_);
    slots_ = nullptr;
    first_ = last_ = nullptr;
    count_ = 0;
    return all;
}
