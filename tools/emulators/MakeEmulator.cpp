#include "tools/emulators/Emulators.h"

std::unique_ptr<ControllerEmulator> MakeEmulator(const std::string& protocol, EmulatorOptions options) {
    if (protocol == "mmc2")
        return std::make_unique<Mmc2Emulator>(std::move(options));
    if (protocol == "msc2")
        return std::make_unique<AbEmulator>(AbEmulator::Kind::Msc2, std::move(options));
    if (protocol == "qt")
        return std::make_unique<AbEmulator>(AbEmulator::Kind::Qt, std::move(options));
    if (protocol == "mii")
        return std::make_unique<AbEmulator>(AbEmulator::Kind::MII, std::move(options));
    if (protocol == "pat001")
        return std::make_unique<Pat001Emulator>(std::move(options));
    if (protocol == "ct7")
        return std::make_unique<Ct7Emulator>(std::move(options));
    if (protocol == "mfs")
        return std::make_unique<MfsEmulator>(std::move(options));
    if (protocol == "stm6")
        return std::make_unique<Stm6Emulator>(std::move(options));
    if (protocol == "szx")
        return std::make_unique<SzxEmulator>(std::move(options));
    return nullptr;
}
