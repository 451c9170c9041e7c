#include "platform/middleware/VKAPIi.h"

#include "platform/text/Utf.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/TokenWorldWatcher.h"

namespace {

// A token as it was read when its reader was opened.
class VirtualTokenInfo : public VKAPIi_Token_Info {
public:
    explicit VirtualTokenInfo(const vkstore::TokenRecordData& r) : m_record(r) {}
    std::uint8_t Get_Token_Type() override { return m_record.type; }
    std::uint8_t Get_Version_Major() override { return m_record.versionMajor; }
    std::uint8_t Get_Version_Minor() override { return m_record.versionMinor; }
    std::uint32_t Get_Memory_Size() override { return m_record.memorySize; }
    std::uint8_t Get_Protocol_Number() override { return m_record.protocol; }
    std::uint8_t Get_Microcode_Number() override { return m_record.microcode; }

private:
    vkstore::TokenRecordData m_record;
};

class VirtualCard : public VKAPIi_Velkora_SCard {
public:
    explicit VirtualCard(const vkstore::TokenRecordData& r) : m_record(r), m_info(r) {}

    bool Get_Token_Info(VKAPIi_Token_Info** info) override {
        if (!info) {
            return false;
        }
        *info = &m_info;
        return true;
    }
    bool Get_Token_ID(VKLib_Buffer& id) override {
        const std::uint32_t value = m_record.tokenId;
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        id.Set(bytes, sizeof bytes);
        return true;
    }
    bool Get_Token_Label(VKLib_String& label) override {
        label = VKLib_String(m_record.label.c_str());
        return true;
    }
    bool Get_Free_Memory(std::uint32_t& bytes) override {
        bytes = m_record.freeMemory;
        return true;
    }
    bool Get_PIN_Change_Policy(std::uint8_t& policy) override {
        policy = m_record.pinPolicy;
        return true;
    }

private:
    vkstore::TokenRecordData m_record;
    VirtualTokenInfo m_info;
};

}  // namespace

VKAPIi_Context::VKAPIi_Context() = default;

VKAPIi_Context::~VKAPIi_Context() {
    Free();
}

bool VKAPIi_Context::Init(unsigned long) {
    m_initialised = true;
    return true;
}

bool VKAPIi_Context::Enum_Readers(VKLibT_Array<VKLib_String, 4>& readers) {
    try {
        vkstore::TokenWorld world;
        for (const auto& reader : world.Readers()) {
            readers.Add(VKLib_String(reader.name.c_str()));
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool VKAPIi_Context::Open_Reader(const wchar_t* reader, unsigned long,
                                 VKAPIi_Velkora_SCard** card) {
    if (!card || !reader) {
        return false;
    }
    *card = nullptr;
    try {
        vkstore::TokenWorld world;
        auto state = world.Reader(WideToUtf8(reader));
        if (!state || !state->token) {
            return false;
        }
        vkstore::TokenStore store(world.TokenFile(state->token->uuid));
        *card = new VirtualCard(store.Record());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool VKAPIi_Context::Close_Reader(VKAPIi_Velkora_SCard** card, unsigned long) {
    if (!card || !*card) {
        return false;
    }
    delete *card;
    *card = nullptr;
    return true;
}

void VKAPIi_Context::Free() {
    Stop_Readers_State_Monitor();
    m_initialised = false;
}

bool VKAPIi_Context::Start_Readers_State_Monitor(VKAPIi_Reader_Event_Callback callback,
                                                 void* user) {
    if (!callback || m_watcher) {
        return false;
    }
    m_watcher = std::make_unique<vkstore::TokenWorldWatcher>(vkstore::TokenWorld::DefaultRoot());
    bool started = m_watcher->Start(
        [callback, user](const std::string& reader, vkstore::TokenWorldWatcher::Change change) {
            const std::wstring name = Utf8ToWide(reader);
            VKAPIi_Reader_Event_Record record;
            record.change = change == vkstore::TokenWorldWatcher::Change::Inserted ? 1 : 2;
            record.user = user;
            record.readerName = name.c_str();
            callback(record.event, record.change, reinterpret_cast<long>(&record));
        });
    if (!started) {
        m_watcher.reset();
    }
    return started;
}

bool VKAPIi_Context::Stop_Readers_State_Monitor() {
    if (!m_watcher) {
        return false;
    }
    m_watcher->Stop();
    m_watcher.reset();
    return true;
}
