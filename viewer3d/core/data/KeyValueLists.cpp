#include "viewer3d/core/data/KeyValueLists.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace v3d {

namespace {

char* copyText(const char* text) {
    if (!text)
        text = "";
    const size_t n = std::strlen(text) + 1;
    auto* p = static_cast<char*>(std::malloc(n));
    if (!p)
        throw std::bad_alloc();
    std::memcpy(p, text, n);
    return p;
}

template <class Node> Node* newNode() {
    void* p = std::malloc(sizeof(Node));
    if (!p)
        throw std::bad_alloc();
    return new (p) Node();
}

template <class Node> Node* lastNode(Node* head) {
    Node* n = head;
    while (n->next)
        n = n->next;
    return n;
}

template <class Node> const Node* nodeAt(const Node* head, int index) {
    if (!head || index < 0)
        return nullptr;
    const Node* n = head->next;
    for (int i = 0; n && i < index; ++i)
        n = n->next;
    return n;
}

template <class Node> int countNodes(const Node* head) {
    int count = 0;
    for (const Node* n = head ? head->next : nullptr; n; n = n->next)
        ++count;
    return count;
}

} // namespace

int AppendPair(StrPairList* head, const char* key, const char* value) {
    if (!head)
        return 0;
    StrPairNode* node = newNode<StrPairNode>();
    node->key = copyText(key);
    node->value = copyText(value);
    lastNode(head)->next = node;
    return 0;
}

int SetPairListValue(StrPairList* head, const char* key, const char* value) {
    if (!head)
        return 0;
    const char* k = key ? key : "";
    for (StrPairNode* n = head->next; n; n = n->next) {
        if (std::strcmp(n->key, k) == 0) {
            char* fresh = copyText(value);
            std::free(n->value);
            n->value = fresh;
            return 0;
        }
    }
    return AppendPair(head, key, value);
}

int CountPairs(const StrPairList* head) {
    return countNodes(head);
}

const char* GetPairKey(const StrPairList* head, int index) {
    const StrPairNode* n = nodeAt(head, index);
    return n ? n->key : nullptr;
}

const char* GetPairValue(const StrPairList* head, int index) {
    const StrPairNode* n = nodeAt(head, index);
    return n ? n->value : nullptr;
}

void ClearPairList(StrPairList* head) {
    if (!head)
        return;
    StrPairNode* n = head->next;
    while (n) {
        StrPairNode* next = n->next;
        std::free(n->key);
        std::free(n->value);
        std::free(n);
        n = next;
    }
    head->next = nullptr;
}

int CopyPairList(const StrPairList* source, StrPairList* target) {
    if (!target || source == target)
        return 0;
    ClearPairList(target);
    for (const StrPairNode* n = source ? source->next : nullptr; n; n = n->next)
        AppendPair(target, n->key, n->value);
    return 0;
}

int AppendNamedValue(NamedValueList* head, const char* name, double value) {
    if (!head)
        return 0;
    NamedValueNode* node = newNode<NamedValueNode>();
    node->name = copyText(name);
    node->value = value;
    lastNode(head)->next = node;
    return 0;
}

int CountNamedValues(const NamedValueList* head) {
    return countNodes(head);
}

const char* GetValueName(const NamedValueList* head, int index) {
    const NamedValueNode* n = nodeAt(head, index);
    return n ? n->name : nullptr;
}

double GetNamedValue(const NamedValueList* head, int index) {
    const NamedValueNode* n = nodeAt(head, index);
    return n ? n->value : 0.0;
}

void ClearValueList(NamedValueList* head) {
    if (!head)
        return;
    NamedValueNode* n = head->next;
    while (n) {
        NamedValueNode* next = n->next;
        std::free(n->name);
        std::free(n);
        n = next;
    }
    head->next = nullptr;
}

int CopyValueList(const NamedValueList* source, NamedValueList* target) {
    if (!target || source == target)
        return 0;
    ClearValueList(target);
    for (const NamedValueNode* n = source ? source->next : nullptr; n; n = n->next)
        AppendNamedValue(target, n->name, n->value);
    return 0;
}

} // namespace v3d
