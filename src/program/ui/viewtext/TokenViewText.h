// The texts of the token view: its rows (caption and value, seven, or eight
// with the PIN change policy for tokens of type 0 and 1) and its header.
#pragma once

#include <string>
#include <vector>

#include "program/token/STokenRecord.h"

namespace viewtext {

struct STokenViewRow {
    std::wstring caption;
    std::wstring value;
};

// The rows of the record, captions in the interface language. For types 0 and
// 1 the policy text is stored into the record, as the view keeps it.
std::vector<STokenViewRow> TokenViewRows(STokenRecord& record);

// The header template formatted with an empty text and the label:
// "Token %s<%s> properties" gives "Token <label> properties".
std::wstring TokenViewHeader(const std::wstring& headerTemplate, const std::wstring& label);

// The PIN change policy's text: "User & Admin" (0), "Admin" (1), "User" (2),
// empty for any other value.
std::wstring PinPolicyText(BYTE policy);

}  // namespace viewtext
