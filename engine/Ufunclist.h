#pragma once

#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>

// The worker's to-do list: argument-less methods bound to their object, under the list's own lock, which is
// never held while an item runs. An item is queued at most once: queueing it again moves it to the end.
template <class T> class TFuncList {
public:
    using Method = void (T::*)();
    struct Item {
        Method method;
        T* object;
        bool operator==(const Item&) const = default;
        void operator()() const { (object->*method)(); }
    };

    void Add(const Item& item)
    {
        std::lock_guard lock(m_Mutex);
        auto it = std::find(m_Items.begin(), m_Items.end(), item);
        if (it != m_Items.end())
            m_Items.erase(it);
        m_Items.push_back(item);
    }
    std::optional<Item> TakeFirst()
    {
        std::lock_guard lock(m_Mutex);
        if (m_Items.empty())
            return std::nullopt;
        Item item = m_Items.front();
        m_Items.pop_front();
        return item;
    }
    size_t Count() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Items.size();
    }

private:
    mutable std::mutex m_Mutex;
    std::deque<Item> m_Items;
};
