// Readable names of signature algorithm identifiers: the platform's names
// first, then a table of the identifiers of the platform's cryptographic
// header, named as its constants without their szOID_ prefix.
#pragma once

#include <map>
#include <string>

namespace SLocalTools {

class CAlgoIDToName {
public:
    CAlgoIDToName();

    // The platform's name of the signature algorithm, else the table's, else
    // "Algorithm name not found !!!".
    std::wstring GetAlgorithmName(const std::string& oid) const;

    // The table's name, or empty.
    std::wstring TableName(const std::string& oid) const;
    std::size_t TableSize() const { return m_names.size(); }

private:
    // An identifier already in the table keeps its first name.
    void Insert(const char* oid, const wchar_t* name);

    std::map<std::string, std::wstring> m_names;
};

// The process-wide table; the program's start-up holds it too
// (SDP::singleton_auto_pointer), so both reach the same instance.
const CAlgoIDToName& AlgoIDToName();

}  // namespace SLocalTools
