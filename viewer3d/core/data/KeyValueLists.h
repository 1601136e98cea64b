// Two small singly linked lists in which the roughness code keeps its named results: text
// pairs (StrPairList) and named numbers (NamedValueList). Each list starts at a head node that
// never holds data; nodes and their texts are malloc'ed copies that the list owns. Index
// access walks from the head; the lists hold a handful of entries.
#pragma once

namespace v3d {

struct StrPairNode {
    char* key = nullptr;
    char* value = nullptr;
    StrPairNode* next = nullptr;
};
using StrPairList = StrPairNode; // the head node

struct NamedValueNode {
    char* name = nullptr;
    double value = 0.0;
    NamedValueNode* next = nullptr;
};
using NamedValueList = NamedValueNode; // the head node

// Appends a node with copies of both texts (null counts as ""). Returns 0.
int AppendPair(StrPairList* head, const char* key, const char* value);
// The first node whose key equals key byte for byte gets a copy of value; without one the
// pair is appended. Returns 0.
int SetPairListValue(StrPairList* head, const char* key, const char* value);
int CountPairs(const StrPairList* head);
// Key or value of node index (0 = first after the head); null when index is out of range.
const char* GetPairKey(const StrPairList* head, int index);
const char* GetPairValue(const StrPairList* head, int index);
// Frees every node and its texts; the head stays with no next. A null head does nothing.
void ClearPairList(StrPairList* head);
// Clears the target, then appends every pair of the source in order. Returns 0.
int CopyPairList(const StrPairList* source, StrPairList* target);

int AppendNamedValue(NamedValueList* head, const char* name, double value);
int CountNamedValues(const NamedValueList* head);
// Null / 0.0 when index is out of range.
const char* GetValueName(const NamedValueList* head, int index);
double GetNamedValue(const NamedValueList* head, int index);
void ClearValueList(NamedValueList* head);
int CopyValueList(const NamedValueList* source, NamedValueList* target);

} // namespace v3d
