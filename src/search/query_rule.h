#pragma once

#include <QtGlobal>

namespace findolin {

// What is known of a term (or of a whole OR group) in a text: it is there, it is not, or not
// enough of the text has been seen to tell.
enum class Presence : quint8 { Absent, Present, Unknown };

// The answer to a query: the text passes, it fails, or more of it must be seen.
enum class Decision : quint8 { No, Yes, Undecided };

constexpr Presence presentIf(bool holds) {
    return holds ? Presence::Present : Presence::Absent;
}

// An OR group is there when every one of its `count` terms is: absent as soon as one term is
// absent, unknown while none is absent but one is unknown. `term(i)` tells term i; the terms are
// asked in order and no further than the first absent one.
template <typename TermPresence>
constexpr Presence allPresent(qsizetype count, TermPresence&& term) {
    Presence all = Presence::Present;
    for (qsizetype i = 0; i < count; ++i) {
        switch (term(i)) {
        case Presence::Absent:
            return Presence::Absent;
        case Presence::Unknown:
            all = Presence::Unknown;
            break;
        case Presence::Present:
            break;
        }
    }
    return all;
}

// The rule of every query, for names and contents alike: a text passes when it holds no NOT term
// and, for at least one OR group, every term of that group (see allPresent).
//
// The answer is Undecided only while what is unknown could still change it. Knowledge is asked
// lazily, so that callers may compute it on demand: first the NOT terms in order, no further than
// the first present one (then no group is asked at all), then the groups in order, no further
// than the answer needs.
template <typename NotTermPresence, typename GroupPresence>
constexpr Decision decideQuery(qsizetype notTerms, NotTermPresence&& notTerm, qsizetype groups,
                               GroupPresence&& group) {
    bool mayBeExcluded = false;
    for (qsizetype i = 0; i < notTerms; ++i) {
        switch (notTerm(i)) {
        case Presence::Present:
            return Decision::No;
        case Presence::Unknown:
            mayBeExcluded = true;
            break;
        case Presence::Absent:
            break;
        }
    }
    bool mayPass = false;
    for (qsizetype g = 0; g < groups; ++g) {
        switch (group(g)) {
        case Presence::Present:
            return mayBeExcluded ? Decision::Undecided : Decision::Yes;
        case Presence::Unknown:
            // With a NOT term still open, no later group can decide it either.
            if (mayBeExcluded)
                return Decision::Undecided;
            mayPass = true;
            break;
        case Presence::Absent:
            break;
        }
    }
    // No group can pass: a NOT term still unknown changes nothing.
    return mayPass ? Decision::Undecided : Decision::No;
}

} // namespace findolin
