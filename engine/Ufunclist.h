#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// The worker's to-do list under its own lock, which is never held while an item runs. An item is either an
// argument-less method bound to its object, queued at most once (queueing it again moves it to the end), or
// a piece of work of its own, which is never merged with another.
template <class T> class TFuncList {
public:
    using Method = void (T::*)();
    struct Item {
        Method method = nullptr;
        T* object = nullptr;
        std::function<void()> job;

        bool SameAs(const Item& other) const
        {
            return !job && !other.job && method == other.method && object == other.object;
        }
        void operator()() const
        {
            if (job)
                job();
            else
                (object->*method)();
        }
    };

    void Add(Item item)
    {
        std::lock_guard lock(m_Mutex);
        auto it = std::find_if(m_Items.begin(), m_Items.end(), [&](const Item& i) { return i.SameAs(item); });
        if (it != m_Items.end())
            m_Items.erase(it);
        m_Items.push_back(std::move(item));
    }
    std::optional<Item> TakeFirst()
    {
        std::lock_guard lock(m_Mutex);
        if (m_Items.empty())
            return std::nullopt;
        Item item = std::move(m_Items.front());
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
