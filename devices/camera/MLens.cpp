#include "devices/camera/MLens.h"

#include <cstring>

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

void TrimBlanks(char* text) {
    if (!text)
        return;
    size_t start = 0;
    while (IsBlank(text[start]))
        ++start;
    size_t len = std::strlen(text + start);
    std::memmove(text, text + start, len + 1);
    while (len > 0 && IsBlank(text[len - 1]))
        text[--len] = '\0';
}

void TrimBlanks(std::string& text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    size_t end = text.size();
    while (end > start && IsBlank(text[end - 1]))
        --end;
    text = text.substr(start, end - start);
}

void CMLens::SetName(const char* text) {
    m_name = text ? text : "";
    TrimBlanks(m_name);
}

void CMLens::SetRegName(const char* text) {
    m_regName = text ? text : "";
    TrimBlanks(m_regName);
}

void CMLens::Copy(const CMLens& other) {
    if (&other == this)
        return;
    m_index = other.m_index;
    SetName(other.m_name);
    SetRegName(other.m_regName);
    m_calib = other.m_calib;
    m_gap = other.m_gap;
    m_scaleColor = other.m_scaleColor;
    m_scalePos = other.m_scalePos;
    m_scaleLength = other.m_scaleLength;
    m_scaleDots = other.m_scaleDots;
    m_scaleCeiling = other.m_scaleCeiling;
}
