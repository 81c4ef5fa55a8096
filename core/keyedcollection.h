#pragma once

#include "knerror.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace kn {

// An ordered collection of shared items with 1-based positions in insertion order and an
// optional unique text key per item. Removal closes the gap; iteration runs in position order.
// An item is addressed by a QVariant: a number is a position, a text is a key.
template <typename T>
class KeyedCollection {
    // Few items have keys, so a key is kept apart from its entry.
    struct Entry {
        std::shared_ptr<T> item;
        std::unique_ptr<QString> key;
        bool hasKey(const QString& wanted) const { return key && *key == wanted; }
    };
    using Entries = std::vector<Entry>;

public:
    using Pointer = std::shared_ptr<T>;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Pointer;
        using difference_type = std::ptrdiff_t;
        using pointer = const Pointer*;
        using reference = const Pointer&;

        const_iterator() = default;
        explicit const_iterator(typename Entries::const_iterator it) : it_(it) {}
        const Pointer& operator*() const { return it_->item; }
        const Pointer* operator->() const { return &it_->item; }
        const_iterator& operator++() { ++it_; return *this; }
        const_iterator operator++(int) { auto copy = *this; ++it_; return copy; }
        bool operator==(const const_iterator&) const = default;

    private:
        typename Entries::const_iterator it_;
    };

    int count() const { return int(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const_iterator begin() const { return const_iterator(entries_.cbegin()); }
    const_iterator end() const { return const_iterator(entries_.cend()); }

    // Appends the item; a non-empty key must not be in use already (457, nothing added).
    void add(Pointer item, const QString& key = {})
    {
        if (!key.isEmpty()) {
            if (keys_.contains(key))
                throw KNError(ErrorCode::KeyAlreadyAssociated);
            keys_.insert(key, item.get());
        }
        entries_.push_back({std::move(item), key.isEmpty() ? nullptr : std::make_unique<QString>(key)});
    }

    const Pointer& item(const QVariant& indexOrKey) const { return entries_[indexOf(indexOrKey)].item; }
    const Pointer& at(int position) const { return entries_[indexOf(position)].item; }

    void remove(const QVariant& indexOrKey) { removeIndex(indexOf(indexOrKey)); }

    void reserve(std::size_t count) { entries_.reserve(count); }

    void clear()
    {
        entries_.clear();
        keys_.clear();
    }

    // Replaces the whole order at once; entries named in `dropKey` lose their keys.
    void reorder(const std::vector<std::size_t>& order, const std::vector<bool>& dropKey)
    {
        Entries sorted;
        sorted.reserve(order.size());
        for (std::size_t i : order) {
            Entry& entry = entries_[i];
            if (dropKey[i] && entry.key) {
                keys_.remove(*entry.key);
                entry.key.reset();
            }
            sorted.push_back(std::move(entry));
        }
        entries_ = std::move(sorted);
    }

private:
    std::size_t indexOf(const QVariant& indexOrKey) const
    {
        if (indexOrKey.typeId() == QMetaType::QString)
            return indexOfKey(indexOrKey.toString());
        bool ok = false;
        const qlonglong position = indexOrKey.toLongLong(&ok);
        if (!ok || position < 1 || position > qlonglong(entries_.size()))
            throw KNError(ErrorCode::InvalidProcedureCall);
        return std::size_t(position - 1);
    }

    std::size_t indexOfKey(const QString& key) const
    {
        const T* wanted = keys_.value(key, nullptr);
        if (key.isEmpty() || wanted == nullptr)
            throw KNError(ErrorCode::InvalidProcedureCall);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].item.get() == wanted && entries_[i].hasKey(key))
                return i;
        }
        throw KNError(ErrorCode::InvalidProcedureCall);
    }

    void removeIndex(std::size_t index)
    {
        if (entries_[index].key)
            keys_.remove(*entries_[index].key);
        entries_.erase(entries_.begin() + std::ptrdiff_t(index));
    }

    Entries entries_;
    QHash<QString, const T*> keys_;
};

} // namespace kn
