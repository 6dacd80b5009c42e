#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "core/engines/trial_division.hpp"
#include "support/listing_reference.hpp"

namespace tavix {
namespace {

std::vector<std::uint32_t> largeSamples() {
    std::vector<std::uint32_t> samples;
    for (std::uint32_t n = 2147483647u - 300; n != 2147483648u; ++n)
        samples.push_back(n);
    // Squares and near-squares of the largest trial divisors.
    for (std::uint64_t p : {46337u, 46327u, 46349u, 46309u}) {
        for (std::uint64_t q : {46337u, 46327u, 46349u, 46309u}) {
            if (p * q < 2147483648u)
                samples.push_back(static_cast<std::uint32_t>(p * q));
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        samples.push_back(std::uniform_int_distribution<std::uint32_t>(1, 2147483647u)(random));
    }
    return samples;
}

TEST(isPrimeNumber, MatchesASieveAndSlowTrial) {
    const std::uint32_t limit = 1'000'000;
    std::vector<bool> prime(limit);
    for (const std::uint64_t p : testing::primesBetween(0, limit - 1))
        prime[p] = true;
    for (std::uint32_t n = 0; n < limit; ++n)
        ASSERT_EQ(isPrimeNumber(n), prime[n]) << n;
    for (std::uint32_t n : largeSamples())
        ASSERT_EQ(isPrimeNumber(n), testing::isPrimeNumber(n)) << n;
}

TEST(primeFactorsOf, MultiplyBackInOrder) {
    auto check = [](std::uint32_t n) {
        const PrimeFactors factors = primeFactorsOf(n);
        std::uint64_t product = 1;
        std::uint32_t previous = 2;
        for (std::uint32_t p : factors) {
            ASSERT_TRUE(isPrimeNumber(p)) << n << ": " << p;
            ASSERT_LE(previous, p) << n;
            previous = p;
            product *= p;
        }
        ASSERT_EQ(product, n);
    };
    for (std::uint32_t n = 1; n < 200'000; ++n)
        check(n);
    for (std::uint32_t n : largeSamples())
        check(n);
    check(1u << 31);
    EXPECT_EQ(primeFactorsOf(1u << 30).count, 30);
    EXPECT_EQ(primeFactorsOf(1).count, 0);
}

}  // namespace
}  // namespace tavix
