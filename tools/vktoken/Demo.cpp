#include "Demo.h"

#include <stdexcept>

#include "TokenAdmin.h"

namespace {

constexpr const char* kProPin = "12345678";
constexpr const char* kMiniPin = "1111";

void Clear(vkstore::TokenWorld& world) {
    for (const auto& reader : world.Readers()) {
        world.DeleteReader(reader.name);
    }
    for (const auto& token : world.Tokens()) {
        world.DeleteToken(token.label);
    }
}

ContainerRequest Container(const char* name, const char* cn, const char* email,
                           ContainerRequest::Cert cert, bool exportable, bool exchange,
                           bool signature) {
    ContainerRequest r;
    r.name = name;
    r.commonName = cn;
    r.email = email;
    r.cert = cert;
    r.exportable = exportable;
    r.exchange = exchange;
    r.signature = signature;
    return r;
}

void Build(vkstore::TokenWorld& world, std::ostream& out) {
    world.AddReader("Velkora USB Reader 0");
    world.AddReader("Velkora USB Reader 1");
    world.AddReader("Velkora USB Reader 2");

    vkstore::TokenRecordData pro;
    pro.label = "Velkora Pro Demo";
    pro.type = 1;
    pro.versionMajor = 3;
    pro.versionMinor = 1;
    pro.memorySize = 65536;
    pro.freeMemory = 41216;
    pro.protocol = 2;
    pro.microcode = 7;
    pro.tokenId = 0x1A2B3C4D;
    pro.pinPolicy = 0;
    world.CreateToken(pro, kProPin, {}, 10, kDemoAdminPin);

    vkstore::TokenRecordData mini;
    mini.label = "Velkora Mini Demo";
    mini.type = 0;
    mini.versionMajor = 2;
    mini.versionMinor = 4;
    mini.memorySize = 32768;
    mini.freeMemory = 30208;
    mini.protocol = 1;
    mini.microcode = 3;
    mini.tokenId = 0x00C0FFEE;
    mini.pinPolicy = 2;
    world.CreateToken(mini, kMiniPin, {}, 10, kDemoAdminPin);

    using Cert = ContainerRequest::Cert;
    TokenAdmin admin(world);
    auto main =
        Container("Ivanov-2026", "\u0418\u0432\u0430\u043d\u043e\u0432 \u0418\u0432\u0430\u043d",
                  "ivanov@orvel.example", Cert::FromCa, true, true, true);
    main.makeDefault = true;
    admin.AddContainer(pro.label, kProPin, main);
    admin.AddContainer(pro.label, kProPin,
                       Container("Petrova-signing", "Anna Petrova", "petrova@orvel.example",
                                 Cert::FromCa, false, false, true));
    admin.AddContainer(pro.label, kProPin,
                       Container("Self-signed test", "vkCert self-signed test", "",
                                 Cert::SelfSigned, true, true, false));
    admin.AddContainer(
        pro.label, kProPin,
        Container("Key without certificate", "", "", Cert::None, false, true, false));
    admin.AddContainer(mini.label, kMiniPin,
                       Container("Mini-exchange", "Sidorov Petr", "sidorov@orvel.example",
                                 Cert::FromCa, true, true, false));

    world.Insert("Velkora USB Reader 0", pro.label);
    world.Insert("Velkora USB Reader 1", mini.label);
    out << "Demo tokens ready: \"" << pro.label << "\" (PIN " << kProPin << ") in "
        << "Velkora USB Reader 0, \"" << mini.label << "\" (PIN " << kMiniPin << ") in "
        << "Velkora USB Reader 1; Velkora USB Reader 2 is empty. Administrator PIN of both: "
        << kDemoAdminPin << ".\n";
}

}  // namespace

void BuildDemo(vkstore::TokenWorld& world, bool force, std::ostream& out) {
    // One transaction of the world: a second copy waits for this one, and a demo killed or
    // failed midway leaves the world as it was; the files of its tokens go at the next write.
    world.Write([&] {
        if (!world.Readers().empty() || !world.Tokens().empty()) {
            if (!force) {
                throw std::runtime_error(
                    "the token world is not empty; use vktoken demo --force to replace it");
            }
            Clear(world);
        }
        Build(world, out);
    });
}
