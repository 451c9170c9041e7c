// The token middleware: readers, the token in each reader with its record,
// and reader insertion and removal events delivered on a thread of the
// middleware. It reads the virtual token world (platform/token).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/middleware/VKLib.h"

namespace vkstore {
class TokenWorldWatcher;
}

// What a reader event hands the callback, through its record argument.
struct VKAPIi_Reader_Event_Record {
    std::uint16_t size = sizeof(VKAPIi_Reader_Event_Record);
    std::uint32_t event = 1;   // 1: a reader state change
    std::uint32_t change = 0;  // 1 inserted, 2 removed
    void* user = nullptr;      // as given to Start_Readers_State_Monitor
    const wchar_t* readerName = nullptr;
};

// The callback receives the record's address in its last argument.
using VKAPIi_Reader_Event_Callback = long (*)(unsigned event, unsigned change, long record);
static_assert(sizeof(long) >= sizeof(void*), "the record's address must fit the argument");

inline const VKAPIi_Reader_Event_Record* VKAPIi_Event_Record(long record) {
    return reinterpret_cast<const VKAPIi_Reader_Event_Record*>(record);
}

class VKAPIi_Token_Info {
public:
    virtual ~VKAPIi_Token_Info() = default;
    virtual std::uint8_t Get_Token_Type() = 0;
    virtual std::uint8_t Get_Version_Major() = 0;
    virtual std::uint8_t Get_Version_Minor() = 0;
    virtual std::uint32_t Get_Memory_Size() = 0;
    virtual std::uint8_t Get_Protocol_Number() = 0;
    virtual std::uint8_t Get_Microcode_Number() = 0;
};

class VKAPIi_Velkora_SCard {
public:
    virtual ~VKAPIi_Velkora_SCard() = default;
    virtual bool Get_Token_Info(VKAPIi_Token_Info** info) = 0;
    virtual bool Get_Token_ID(VKLib_Buffer& id) = 0;
    virtual bool Get_Token_Label(VKLib_String& label) = 0;
    virtual bool Get_Free_Memory(std::uint32_t& bytes) = 0;
    virtual bool Get_PIN_Change_Policy(std::uint8_t& policy) = 0;
};

class VKAPIi_Context {
public:
    VKAPIi_Context();
    ~VKAPIi_Context();
    VKAPIi_Context(const VKAPIi_Context&) = delete;
    VKAPIi_Context& operator=(const VKAPIi_Context&) = delete;

    bool Init(unsigned long flags);
    bool Enum_Readers(VKLibT_Array<VKLib_String, 4>& readers);
    // Opens the token in the reader; false for an unknown or empty reader or
    // an unreadable token.
    bool Open_Reader(const wchar_t* reader, unsigned long mode, VKAPIi_Velkora_SCard** card);
    bool Close_Reader(VKAPIi_Velkora_SCard** card, unsigned long flags);
    void Free();

    bool Start_Readers_State_Monitor(VKAPIi_Reader_Event_Callback callback, void* user);
    bool Stop_Readers_State_Monitor();

private:
    bool m_initialised = false;
    std::unique_ptr<vkstore::TokenWorldWatcher> m_watcher;
};
