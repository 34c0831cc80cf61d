// The data dictionary views the engine offers (USER_TABLES, ALL_TABLES, USER_TAB_COLUMNS,
// ALL_TAB_COLUMNS, USER_USERS, ALL_USERS, the views of tablespaces and their files, DUAL): their
// Oracle column lists and their definitions over the catalogue tables. Each connection gets them
// as temporary SQLite views named "ocl_v_<NAME>"; the current user comes from the ocl_user()
// function.
#pragma once

#include <memory>
#include <string_view>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

// Creates the temporary views on a new connection.
void CreateDictionaryViews(SqliteDb& db);

// The view's description, or nullptr when `name` is no dictionary view.
std::shared_ptr<const TableInfo> DictionaryView(std::string_view name);

}  // namespace qm::ocilite
