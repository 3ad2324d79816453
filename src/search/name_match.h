#pragma once

#include "platform/folder_scan.h"
#include "search/query_parser.h"

#include <QStringView>
#include <optional>

namespace findolin {

// Case-insensitive substring test (umlauts included). An empty term is in every text.
bool containsIgnoringCase(QStringView text, QStringView term);

// The name test: no NOT term in the name, and every term of at least one OR group.
// A group without terms succeeds.
bool NameTrifft(const ParsedQuery& query, QStringView name);

// The names that pass the name test, in their order; nothing when `keepGoing` says stop.
std::optional<QStringList> namesThatMatch(const QStringList& names, const ParsedQuery& query,
                                          const KeepGoing& keepGoing = {});

} // namespace findolin
