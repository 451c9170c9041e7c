// The right pane as the tree nodes fill it, without windows: the frame's ReplaceRightView puts a
// new view of the asked kind into the pane and answers it through these interfaces.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/token/STokenRecord.h"

enum class ERightViewKind { TokenInfo, Container, Key, Certificate };

class ITokenInfoViewFill {
public:
    virtual ~ITokenInfoViewFill() = default;
    virtual void FillTokenRecord(const STokenRecord& record) = 0;
};

class IContainerViewFill {
public:
    virtual ~IContainerViewFill() = default;
    virtual void FillContainerName(const std::wstring& containerName) = 0;
};

// The key node calls these in this order; the last two only when their data could be read.
class IKeyViewFill {
public:
    virtual ~IKeyViewFill() = default;
    virtual void FillKeyLength(DWORD bits) = 0;
    virtual void FillPermissions(DWORD permissions) = 0;
    virtual void FillPublicKey(const std::vector<BYTE>& publicKeyBlob) = 0;
};

class ICertificateViewFill {
public:
    virtual ~ICertificateViewFill() = default;
    virtual void FillCertificate(const std::vector<BYTE>& encodedCertificate) = 0;
};

// One view of the pane; each answers its own fill interface and null for the others.
class IRightView {
public:
    virtual ~IRightView() = default;
    virtual ERightViewKind Kind() const = 0;
    virtual ITokenInfoViewFill* AsTokenInfo() { return nullptr; }
    virtual IContainerViewFill* AsContainer() { return nullptr; }
    virtual IKeyViewFill* AsKey() { return nullptr; }
    virtual ICertificateViewFill* AsCertificate() { return nullptr; }
};
