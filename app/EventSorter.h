#pragma once
// Sorting of a log window's events by one of its sort keys: the eight
// columns and the record number.  Every key compares typed values (times
// as numbers, texts by their bytes, categories by number), and events with
// equal values keep the order of their record numbers, so a sort always
// gives the same list.

#include <cstdint>
#include <vector>

class TEventItem;

// The sort keys: the eight columns, then the record number.
inline constexpr int kSortKeyCount = 9;
inline constexpr int kRecordNumberSortKey = 8;

// Sorts `events` ascending by `key` when `ascending`, else the exact
// reverse.  Keys: 0 type code, equal codes by local time; 1 local time;
// 2 local time of day; 3 event ID's low 16 bits; 4 source; 5 category
// number; 6 "Domain\User"; 7 computer; 8 record number (signed); any other
// key leaves the order of the record numbers.  `localOffset` is the local
// time's offset from UTC in milliseconds.
void SortEvents(std::vector<TEventItem*>& events, int key, bool ascending, std::int64_t localOffset);
