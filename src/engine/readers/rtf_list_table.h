#pragma once
// The list table of an RTF document (\listtable and \listoverridetable) and the numbers
// it gives paragraphs that carry \lsN without a \listtext of their own. The RTF reader
// feeds it what it reads in the two tables; every count is bounded.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {

class RtfListTable {
public:
    // \list: a new list definition; \listlevel: its next level.
    void startList();
    void startLevel();
    void listId(long long id);
    void levelFormat(long long nfc);     // \levelnfc, \levelnfcn
    void levelStart(long long start);    // \levelstartat
    void levelFollow(long long follow);  // \levelfollow: 0 tab, 1 space, 2 nothing
    void levelLegal(bool on);            // \levellegal
    // \leveltext decoded (its length character first) and \levelnumbers as bytes (the
    // positions of the placeholders in the level text).
    void levelText(Text text);
    void levelNumbers(std::string positions);
    // \listoverride: \lsN stands for the list \listidM.
    void startOverride();
    void overrideListId(long long id);
    void overrideNumber(long long ls);

    // The label of the next paragraph of list override `ls` at `level`, counting it;
    // empty when the list is not known or the level shows nothing.
    Text label(long long ls, long long level);

private:
    struct PendingLevel {
        Text text;
        std::string numbers;
        bool hasNumbers = false;
    };
    struct List {
        long long id = 0;
        ListDefinition definition;
        std::vector<PendingLevel> pending;
    };
    void finishList();
    ListLevel* currentLevel();

    std::vector<List> m_lists;
    int m_levelInList = -1;
    std::map<long long, ListDefinition> m_byId;
    std::map<long long, long long> m_overrides;  // \ls -> \listid
    std::optional<long long> m_overrideListId;
    std::optional<long long> m_overrideLs;
    std::map<long long, ListCounters> m_counters;  // per \listid
    bool m_finished = false;
};

}  // namespace sorvane
