#pragma once
#include "catalogs/Catalogs.h"
#include "common/Language.h"

#include <gtest/gtest.h>

// Every test starts with the decimal point of the core and an empty catalog;
// Evaluate fills the test's catalog and its stored protocol index.
class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override { Restore(); }
    void TearDown() override { Restore(); }
    static void Restore() { tc::SetLocaleDecimalSeparator('.'); }

    void Evaluate(std::uint16_t modelCode, unsigned protocolIndex, tc::Language language)
    {
        cat = tc::EvaluateModel(modelCode, language);
        index = protocolIndex;
    }
    const tc::VehicleProtocol* CurrentProtocol() const { return cat.Protocol(index); }

    tc::Catalog cat;
    unsigned index = 0;
};
