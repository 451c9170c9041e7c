// The token's properties: a list of plain caption and value rows made from the
// token record it is given, and the header "Token <label> properties". Until a
// token is shown, and for the record of a reader without a token, the header
// reads the template's "No Velkora's detected." and the list stays empty.
#pragma once

#include <string>

#include "gui/ui/views/CListPropertyView.h"
#include "program/token/STokenRecord.h"

class CTokenInfoViewEx final : public CListPropertyView, public ITokenInfoViewFill {
public:
    CTokenInfoViewEx(CFrameFacadePtr facade, QWidget* parent);

    ERightViewKind Kind() const override { return ERightViewKind::TokenInfo; }
    ITokenInfoViewFill* AsTokenInfo() override { return this; }

    void FillTokenRecord(const STokenRecord& record) override;

    // The record shown, with the header and policy texts the view gave it.
    const STokenRecord& Record() const { return m_record; }

protected:
    void OnInitialUpdate() override;
    QString DetailOf(int row) const override;

private:
    void AddRow(const std::wstring& caption, const std::wstring& value);

    STokenRecord m_record;
    std::wstring m_headerTemplate;
};
