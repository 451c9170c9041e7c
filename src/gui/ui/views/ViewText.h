// Wide texts of the program as the views' widgets show them.
#pragma once

#include <QString>
#include <string>

inline QString ToQString(const std::wstring& text) {
    return QString::fromStdWString(text);
}

// A detail text for the box under a list: the rows break lines with "\r\n",
// the box with "\n" (a lone "\r" would show as a stray mark).
QString DetailBoxText(const std::wstring& detail);
