#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

namespace plinkum {

// Fixed-capacity single-producer single-consumer queue for the audio thread: no lock, no
// allocation. The producer publishes a slot with a release store of m_write and the consumer
// reads m_write with acquire, so the slot's contents are visible before its index; the same
// pairing in the other direction hands slots back. Capacity is a power of two so indices may
// run freely and wrap.
template <typename T, std::size_t Capacity>
class SpscRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    // Producer side. False when full: the item is dropped rather than waited for.
    bool push(const T &item)
    {
        const std::size_t write = m_write.load(std::memory_order_relaxed);
        if (write - m_read.load(std::memory_order_acquire) == Capacity)
            return false;
        m_slots[write & (Capacity - 1)] = item;
        m_write.store(write + 1, std::memory_order_release);
        return true;
    }

    // Consumer side.
    bool empty() const { return m_read.load(std::memory_order_relaxed) == m_write.load(std::memory_order_acquire); }

    std::optional<T> pop()
    {
        const std::size_t read = m_read.load(std::memory_order_relaxed);
        if (read == m_write.load(std::memory_order_acquire))
            return std::nullopt;
        T item = m_slots[read & (Capacity - 1)];
        m_read.store(read + 1, std::memory_order_release);
        return item;
    }

private:
    std::array<T, Capacity> m_slots{};
    alignas(64) std::atomic<std::size_t> m_write{0};
    alignas(64) std::atomic<std::size_t> m_read{0};
};

} // namespace plinkum
