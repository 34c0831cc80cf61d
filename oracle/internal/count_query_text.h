#pragma once
// The select a dataset counts its query hits with: the dataset's own select without its comments
// and without a trailing ORDER or FOR clause, which neither change the count nor may stand inside
// "select count(*) from ( ... )".

#include <string>

namespace qm {

// `select` without /* */ and -- comments (a comment's line end stays), cut before the first
// ORDER or FOR word that stands outside quotes and parentheses. Text inside '...' literals is
// kept as it is.
std::string SelectForCounting(const std::string& select);

}  // namespace qm
