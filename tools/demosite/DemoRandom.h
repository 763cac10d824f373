#pragma once
// The pseudo-random numbers of the demo network: splitmix64, so that the
// same seed gives the same site on every machine and with every compiler
// (the standard library's distributions may differ between them).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace demosite {

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n-1; 0 when n is 0.
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(Next() % n); }
    // low .. high, both included.
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) { return low + Below(high - low + 1); }
    // True in `perMille` of a thousand cases.
    bool Chance(std::uint32_t perMille) { return Below(1000) < perMille; }

    template <typename T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[Below(static_cast<std::uint32_t>(items.size()))];
    }
    const char* Pick(std::initializer_list<const char*> items)
    {
        return items.begin()[Below(static_cast<std::uint32_t>(items.size()))];
    }

    // Upper-case hexadecimal digits of a random number below 16^digits.
    std::string Hex(int digits)
    {
        static const char kDigits[] = "0123456789ABCDEF";
        std::string text;
        for (int i = 0; i < digits; ++i)
            text += kDigits[Below(16)];
        return text;
    }

    std::vector<std::uint8_t> Bytes(std::size_t count)
    {
        std::vector<std::uint8_t> bytes(count);
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(Next() >> 56);
        return bytes;
    }

private:
    std::uint64_t state_;
};

} // namespace demosite
