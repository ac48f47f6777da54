#pragma once

#include <cstdint>
#include <limits>

// A byte count held as a signed 64-bit fixed-point amount with four decimal places.
// Only whole bytes are ever added, so the fraction stays zero; the range ends at
// 922,337,203,685,477 bytes.
class SizeAmount {
public:
    static constexpr std::int64_t Scale = 10000;
    static constexpr std::int64_t MaxBytes = std::numeric_limits<std::int64_t>::max() / Scale;
    static constexpr std::int64_t MinBytes = std::numeric_limits<std::int64_t>::min() / Scale;

    constexpr SizeAmount() = default;
    // Whole bytes; the caller keeps them within MinBytes..MaxBytes.
    static constexpr SizeAmount fromBytes(std::int64_t bytes)
    {
        SizeAmount amount;
        amount.m_units = bytes * Scale;
        return amount;
    }

    constexpr std::int64_t bytes() const { return m_units / Scale; }
    constexpr double toDouble() const { return double(m_units) / double(Scale); }

    // Adds when the sum stays in range; an addition that would overflow is skipped.
    // Returns whether it was added.
    constexpr bool tryAdd(SizeAmount other)
    {
        std::int64_t sum = 0;
        if (__builtin_add_overflow(m_units, other.m_units, &sum))
            return false;
        m_units = sum;
        return true;
    }
    constexpr bool tryAddBytes(std::int64_t bytes)
    {
        if (bytes > MaxBytes || bytes < MinBytes)
            return false;
        return tryAdd(fromBytes(bytes));
    }

    friend constexpr bool operator==(SizeAmount, SizeAmount) = default;

private:
    std::int64_t m_units = 0; // ten-thousandths of a byte
};
