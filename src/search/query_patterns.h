#pragma once

#include <QString>
#include <QStringView>

namespace findolin {

// Whether a name must contain the query ("* Suche") or begin with it ("Suche").
enum class NameMatch { StartsWith, Contains };

// The wildcard pattern of a search: only each group's leading text reaches it.
// "Angebot+PC#Angebot+Computer-gebraucht", Contains -> "*Angebot*.*;*Angebot*".
QString searchPattern(QStringView query, NameMatch mode);

// The pattern of the live filter while the query is typed: the AND terms of each group in
// the order typed. "Angebot+PC#Brief" -> "Angebot*PC*.*;Brief*".
QString livePattern(QStringView query);

// The file pattern of one OR group in the folder walk, from the group's leading text.
QString groupPattern(QStringView leadingText, NameMatch mode);

} // namespace findolin
