#pragma once

#include "search/query_parser.h"

#include <QStringView>

namespace findolin {

// Case-insensitive substring test (umlauts included). An empty term is in every text.
bool containsIgnoringCase(QStringView text, QStringView term);

// The name test: no NOT term in the name, and every term of at least one OR group.
// A group without terms succeeds.
bool NameTrifft(const ParsedQuery& query, QStringView name);

} // namespace findolin
