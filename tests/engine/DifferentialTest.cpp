#include <gtest/gtest.h>

#include <random>

#include "LiteralReference.h"
#include "RandomCases.h"

namespace {

TEST(Differential, EngineMatchesTheLiteralReadingOnRandomTexts) {
    std::mt19937 rng(20041201);
    RandomCases cases(
        [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); });
    int mismatches = 0;
    for (int i = 0; i < 30000 && mismatches < 5; ++i) {
        const engine::EliminationOptions o = cases.Options();
        const std::string disagreement = literal::Disagreement(cases.Text(o), o);
        if (!disagreement.empty()) {
            ++mismatches;
            ADD_FAILURE() << "case " << i << ": " << disagreement;
        }
    }
}

}  // namespace
