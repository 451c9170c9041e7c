#include "program/token/STokenRecord.h"

#include "platform/middleware/VKAPIi.h"
#include "platform/text/FormatString.h"
#include "program/app/LangIds.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

std::wstring TokenModelName(BYTE tokenType, BYTE versionMajor) {
    switch (tokenType) {
        case 0:
            return LoadLangString(versionMajor >= 2 ? IDS_MODEL_MINI : IDS_PRODUCT_WORD,
                                  LANG_NEUTRAL_DEFAULT_ID);
        case 1:
            return L"Velkora Pro";
        default:
            return {};
    }
}

std::wstring TokenTypeText(const std::wstring& modelName, DWORD memorySize) {
    return FormatString(L"%s %uK", modelName, memorySize / 1024);
}

DWORD TokenIdFromBuffer(const BYTE* data, std::size_t size) {
    if (data == nullptr || size < 4) {
        return 0;
    }
    return static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
           static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
}

STokenRecord ReadTokenRecord(const std::wstring& readerName) {
    STokenRecord record;
    VKAPIi_Context context;
    context.Init(0);
    VKAPIi_Velkora_SCard* card = nullptr;
    context.Open_Reader(readerName.c_str(), 2, &card);
    if (card == nullptr) {
        context.Free();
        return record;
    }
    record.present = true;
    VKAPIi_Token_Info* info = nullptr;
    card->Get_Token_Info(&info);
    if (info != nullptr) {
        record.typeText =
            TokenTypeText(TokenModelName(info->Get_Token_Type(), info->Get_Version_Major()),
                          info->Get_Memory_Size());
        record.tokenType = info->Get_Token_Type();
    }
    VKLib_Buffer id;
    card->Get_Token_ID(id);
    record.tokenId = TokenIdFromBuffer(id.Get_Ptr(), id.Get_Size());
    if (info != nullptr) {
        record.versionMajor = info->Get_Version_Major();
        record.versionMinor = info->Get_Version_Minor();
        record.protocolNumber = info->Get_Protocol_Number();
        record.microprogramNumber = info->Get_Microcode_Number();
    }
    std::uint32_t freeMemory = 0;
    card->Get_Free_Memory(freeMemory);
    record.freeMemory = freeMemory;
    std::uint8_t policy = 0;
    card->Get_PIN_Change_Policy(policy);
    VKLib_String label;
    card->Get_Token_Label(label);
    context.Close_Reader(&card, 0);
    context.Free();
    record.pinChangePolicy = policy;
    record.label = label.Get_Buffer(0);
    return record;
}
