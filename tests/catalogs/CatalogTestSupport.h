#pragma once
#include "catalogs/Catalogs.h"
#include "common/Language.h"

#include <gtest/gtest.h>

// Every test starts from empty catalogs in Russian and leaves them so.
class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override { Restore(); }
    void TearDown() override { Restore(); }
    static void Restore()
    {
        tc::SetLocaleDecimalSeparator('.');
        tc::ResetCatalogs();
    }
};
