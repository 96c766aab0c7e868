#include <gtest/gtest.h>

#include <random>

#include "LiteralReference.h"
#include "RandomCases.h"

namespace {

// Runs `count` random cases, each with the options that `options` draws.
template <typename DrawOptions>
void ExpectAgreement(std::uint32_t seed, int count, DrawOptions options) {
    std::mt19937 rng(seed);
    RandomCases cases(
        [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); });
    int mismatches = 0;
    for (int i = 0; i < count && mismatches < 5; ++i) {
        const engine::EliminationOptions o = options(cases);
        const std::string disagreement = literal::Disagreement(cases.Text(o), o);
        if (!disagreement.empty()) {
            ++mismatches;
            ADD_FAILURE() << "case " << i << ": " << disagreement;
        }
    }
}

TEST(Differential, EngineMatchesTheLiteralReadingOnRandomTexts) {
    ExpectAgreement(20041201, 30000, [](RandomCases& cases) { return cases.Options(); });
}

TEST(Differential, EngineMatchesTheLiteralReadingUnderCRules) {
    ExpectAgreement(19721130, 40000, [](RandomCases& cases) { return cases.COptions(); });
}

TEST(Differential, EngineMatchesTheLiteralReadingUnderTheAssemblerDialectsRules) {
    ExpectAgreement(19950607, 40000, [](RandomCases& cases) { return cases.DialectOptions(); });
}

TEST(Differential, EngineMatchesTheLiteralReadingUnderCppRules) {
    ExpectAgreement(20111011, 40000, [](RandomCases& cases) { return cases.CppOptions(); });
}

}  // namespace
