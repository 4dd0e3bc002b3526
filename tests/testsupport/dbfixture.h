// A database in a temporary folder and an engine logged on to it as the administrator,
// and the ways the tests read a database's tree back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tkelmor.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::test {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Closes and opens the database again (read/write unless told otherwise).
    void Reopen(bool readOnly = false);
    // A new node under `parent` with a description and no keys.
    int32_t AddNode(const std::string& description, int32_t parent = 0);

    TTempDir dir;
    std::string base;
    TKelmorLogin admin = TKelmorClass::MakeLogin("admin", "secret");
    TKelmorClass engine;
};

// The IDs of the children of `parent` that the logged-on user sees, in their order.
std::vector<int32_t> Children(TKelmorClass& engine, int32_t parent);

// The whole state as the administrator sees it: every parent's children in order, then
// every node by ID with its security, description and keys (name, type and display
// text; blobs with their bytes), and the user names.
std::string DumpDatabase(TKelmorClass& engine);

}  // namespace kelmor::test
