// Reading a world file: every key is checked for its type and range, unknown keys are
// refused, and the first problem is reported with the file name and the path of the value.

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/sim/hex_text.h"
#include "platform/sim/world.h"
#include "platform/sim/world_defaults.h"

namespace kestrix::sim {

namespace {

// Keys keep their file order, so that the first problem in the file is the one reported.
using json = nlohmann::ordered_json;

constexpr std::size_t MaxFirmwareSize = 65536;
constexpr std::size_t MaxQuotedLength = 40;

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < MaxQuotedLength; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20) {
            quoted += '?';
        } else {
            quoted += static_cast<char>(c);
        }
    }
    if (text.size() > MaxQuotedLength) quoted += "...";
    return quoted + "\"";
}

// A short description of a value for "got ..." (never the whole of a big array or object).
std::string Describe(const json& value) {
    switch (value.type()) {
        case json::value_t::string:
            return Quote(value.get_ref<const std::string&>());
        case json::value_t::number_unsigned:
        case json::value_t::number_integer:
        case json::value_t::number_float:
        case json::value_t::boolean:
        case json::value_t::null:
            return value.dump();
        case json::value_t::array:
            return "an array";
        case json::value_t::object:
            return "an object";
        default:
            return "a value of another kind";
    }
}

std::string Key(std::string_view parent, std::string_view name) {
    std::string path(parent);
    if (!path.empty()) path += '.';
    return path + "\"" + std::string(name) + "\"";
}

std::string Index(std::string_view parent, std::size_t index) {
    return std::string(parent) + "[" + std::to_string(index) + "]";
}

class WorldParser {
  public:
    WorldParser(std::string_view sourceName) : source_(sourceName) {
        const std::filesystem::path sourcePath{std::string(sourceName)};
        baseDir_ = sourcePath.parent_path();
    }

    WorldLoadResult Parse(std::string_view text) {
        json root;
        try {
            root = json::parse(text.begin(), text.end());
        } catch (const json::exception& error) {
            // Syntax errors carry the line and column; numbers beyond range are refused too.
            std::string what = error.what();
            const std::size_t bracket = what.find("] ");
            if (what.starts_with("[json.exception") && bracket != std::string::npos)
                what.erase(0, bracket + 2);
            return {std::nullopt, source_ + ": invalid JSON: " + what};
        }
        World world;
        world.devices.clear();
        try {
            if (!ParseRoot(root, world)) return {std::nullopt, error_};
        } catch (const std::exception& error) {
            // Every value is checked before use; this only keeps a missed case from ending
            // the program.
            return {std::nullopt, source_ + ": cannot read the world: " + error.what()};
        }
        FillWorldDefaults(world);
        return {std::move(world), {}};
    }

  private:
    bool Fail(const std::string& path, const std::string& problem) {
        if (error_.empty()) error_ = source_ + ": " + (path.empty() ? "" : path + ": ") + problem;
        return false;
    }

    bool ExpectObject(const json& value, const std::string& path) {
        if (value.is_object()) return true;
        return Fail(path, "expected an object, got " + Describe(value));
    }
    bool ExpectArray(const json& value, const std::string& path) {
        if (value.is_array()) return true;
        return Fail(path, "expected an array, got " + Describe(value));
    }
    bool ExpectString(const json& value, const std::string& path) {
        if (value.is_string()) return true;
        return Fail(path, "expected a string, got " + Describe(value));
    }

    // Calls `handle` for each key; a key without a handler is refused.
    using KeyHandler = std::function<bool(const json&, const std::string&)>;
    bool ForEachKey(const json& object, const std::string& path,
                    const std::map<std::string, KeyHandler>& handlers) {
        if (!ExpectObject(object, path)) return false;
        for (const auto& [name, value] : object.items()) {
            const auto handler = handlers.find(name);
            if (handler == handlers.end()) {
                std::string known;
                for (const auto& entry : handlers)
                    known += (known.empty() ? "" : ", ") + entry.first;
                return Fail(Key(path, name), "unknown key; expected one of " + known);
            }
            if (!handler->second(value, Key(path, name))) return false;
        }
        return true;
    }

    // A whole number up to `max`, written as a number or as a "0x..." string.
    bool ReadUnsigned(const json& value, const std::string& path, std::uint32_t max,
                      std::uint32_t& result) {
        const std::string expected =
            "expected a whole number from 0 to " + std::to_string(max) + " (or a \"0x...\" string)";
        if (value.is_number_unsigned() || value.is_number_integer()) {
            if (value.is_number_integer() && value.get<std::int64_t>() < 0)
                return Fail(path, expected + ", got " + Describe(value));
            const auto number = value.get<std::uint64_t>();
            if (number > max) return Fail(path, expected + ", got " + Describe(value));
            result = static_cast<std::uint32_t>(number);
            return true;
        }
        if (value.is_string()) {
            const auto& text = value.get_ref<const std::string&>();
            if (text.starts_with("0x") || text.starts_with("0X")) {
                const auto number = ParseHexNumber(text, 8);
                if (number && *number <= max) {
                    result = *number;
                    return true;
                }
            }
        }
        return Fail(path, expected + ", got " + Describe(value));
    }

    bool ReadByte(const json& value, const std::string& path, std::uint8_t& result) {
        std::uint32_t number = 0;
        if (!ReadUnsigned(value, path, 0xFF, number)) return false;
        result = static_cast<std::uint8_t>(number);
        return true;
    }

    bool ReadBool(const json& value, const std::string& path, bool& result) {
        if (!value.is_boolean())
            return Fail(path, "expected true or false, got " + Describe(value));
        result = value.get<bool>();
        return true;
    }

    // Exactly `count` bytes written as 2 * count hex digits.
    template <std::size_t N>
    bool ReadFixedHex(const json& value, const std::string& path,
                      std::array<std::uint8_t, N>& out) {
        const std::string expected = "expected " + std::to_string(2 * N) + " hex digits";
        if (!value.is_string()) return Fail(path, expected + ", got " + Describe(value));
        const auto& text = value.get_ref<const std::string&>();
        const auto bytes = ParseHexBytes(text, false);
        if (!bytes || bytes->size() != N) return Fail(path, expected + ", got " + Describe(value));
        std::copy(bytes->begin(), bytes->end(), out.begin());
        return true;
    }

    bool ReadId(const json& value, const std::string& path, std::uint16_t& out) {
        std::array<std::uint8_t, 2> bytes{};
        if (!ReadFixedHex(value, path, bytes)) return false;
        out = static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
        return true;
    }

    bool ReadText(const json& value, const std::string& path, std::size_t maxBytes,
                  std::string& out) {
        if (!ExpectString(value, path)) return false;
        const auto& text = value.get_ref<const std::string&>();
        if (text.size() > maxBytes)
            return Fail(path, "expected at most " + std::to_string(maxBytes) + " bytes, got " +
                                  Describe(value) + " (" + std::to_string(text.size()) + " bytes)");
        out = text;
        return true;
    }

    bool ReadSerial(const json& value, const std::string& path, std::string& out) {
        if (!ReadText(value, path, 12, out)) return false;
        const bool printable = std::all_of(out.begin(), out.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
        });
        if (out.empty() || !printable)
            return Fail(path,
                        "expected 1 to 12 printable ASCII characters, got " + Describe(value));
        return true;
    }

    bool ReadHexData(const json& value, const std::string& path, std::vector<std::uint8_t>& out) {
        if (!ExpectString(value, path)) return false;
        const auto bytes = ParseHexBytes(value.get_ref<const std::string&>(), true);
        if (!bytes) return Fail(path, "expected pairs of hex digits, got " + Describe(value));
        if (bytes->size() > MaxFirmwareSize)
            return Fail(path, "expected at most " + std::to_string(MaxFirmwareSize) +
                                  " bytes, got " + std::to_string(bytes->size()));
        out = *bytes;
        return true;
    }

    bool ReadDataFile(const json& value, const std::string& path, std::vector<std::uint8_t>& out) {
        if (!ExpectString(value, path)) return false;
        const std::filesystem::path name{value.get<std::string>()};
        const std::filesystem::path file = name.is_absolute() ? name : baseDir_ / name;
        std::error_code ignored;
        if (std::filesystem::is_directory(file, ignored))
            return Fail(path, Quote(file.string()) + " is a directory");
        std::ifstream stream(file, std::ios::binary);
        if (!stream) return Fail(path, "cannot read the file " + Quote(file.string()));
        std::vector<std::uint8_t> bytes;
        char buffer[4096];
        while (stream) {
            stream.read(buffer, sizeof buffer);
            bytes.insert(bytes.end(), buffer, buffer + stream.gcount());
            if (bytes.size() > MaxFirmwareSize)
                return Fail(path, "the file " + Quote(file.string()) + " is longer than " +
                                      std::to_string(MaxFirmwareSize) + " bytes");
        }
        if (stream.bad()) return Fail(path, "cannot read the file " + Quote(file.string()));
        out = std::move(bytes);
        return true;
    }

    bool ReadLetter(const json& value, const std::string& path, char& out) {
        if (value.is_string()) {
            const auto& text = value.get_ref<const std::string&>();
            if (text.size() == 1 && std::isalpha(static_cast<unsigned char>(text[0]))) {
                out = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
                return true;
            }
        }
        return Fail(path, "expected a drive letter \"A\" to \"Z\", got " + Describe(value));
    }

    bool ReadLetters(const json& value, const std::string& path, std::vector<char>& out,
                     bool needOne) {
        if (!ExpectArray(value, path)) return false;
        if (needOne && value.empty()) return Fail(path, "expected at least one drive letter");
        out.clear();
        for (std::size_t i = 0; i < value.size(); ++i) {
            char letter = 0;
            if (!ReadLetter(value[i], Index(path, i), letter)) return false;
            if (!UseLetter(letter, Index(path, i))) return false;
            out.push_back(letter);
        }
        return true;
    }

    bool UseLetter(char letter, const std::string& path) {
        const auto [it, inserted] = letterOwners_.emplace(letter, path);
        if (inserted) return true;
        return Fail(path,
                    std::string("drive letter ") + letter + " is already used by " + it->second);
    }

    bool ParseRoot(const json& root, World& world) {
        bool haveOs = false;
        bool haveVersion = false;
        const std::map<std::string, KeyHandler> handlers = {
            {"os",
             [&](const json& v, const std::string& p) {
                 haveOs = true;
                 if (haveVersion) return Fail(p, "give either \"os\" or \"version\", not both");
                 if (!ExpectString(v, p)) return false;
                 const auto version = VersionOfOs(v.get_ref<const std::string&>());
                 if (!version)
                     return Fail(p,
                                 "expected one of win95, win98, winme, nt4, win2k, winxp, "
                                 "win2003, vista, got " +
                                     Describe(v));
                 world.version = *version;
                 return true;
             }},
            {"version",
             [&](const json& v, const std::string& p) {
                 haveVersion = true;
                 if (haveOs) return Fail(p, "give either \"os\" or \"version\", not both");
                 return ReadUnsigned(v, p, 0xFFFFFFFFu, world.version);
             }},
            {"date", [&](const json& v, const std::string& p) { return ParseDate(v, p, world); }},
            {"realTime",
             [&](const json& v, const std::string& p) { return ReadBool(v, p, world.realTime); }},
            {"drives",
             [&](const json& v, const std::string& p) {
                 return ReadLetters(v, p, world.drives, false);
             }},
            {"devices",
             [&](const json& v, const std::string& p) { return ParseDevices(v, p, world); }},
            {"drivers",
             [&](const json& v, const std::string& p) { return ParseDrivers(v, p, world); }},
            {"aspi", [&](const json& v, const std::string& p) { return ParseAspi(v, p, world); }},
            {"registry",
             [&](const json& v, const std::string& p) { return ParseRegistry(v, p, world); }},
        };
        // Drive letters are checked for clashes in file order; "drives" defaults to C: only
        // when the world does not name its drives.
        if (root.is_object() && !root.contains("drives")) {
            world.drives = {'C'};
            letterOwners_.emplace('C', "the default drive C:");
        } else {
            world.drives.clear();
        }
        if (!ForEachKey(root, "", handlers)) return false;
        return CheckAspiAddresses(world);
    }

    bool ParseDate(const json& value, const std::string& path, World& world) {
        const std::string expected = "expected a date \"YYYY-MM-DD\", got " + Describe(value);
        if (!value.is_string()) return Fail(path, expected);
        const auto& text = value.get_ref<const std::string&>();
        if (text.size() != 10 || text[4] != '-' || text[7] != '-') return Fail(path, expected);
        for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return Fail(path, expected);
        }
        platform::LocalDate date;
        date.year = std::stoi(text.substr(0, 4));
        date.month = std::stoi(text.substr(5, 2));
        date.day = std::stoi(text.substr(8, 2));
        static constexpr int DaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
        const bool valid = date.year >= 1 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
                           date.day <= DaysInMonth[date.month - 1] &&
                           !(date.month == 2 && date.day == 29 && !leap);
        if (!valid) return Fail(path, "no such date: " + Describe(value));
        world.date = date;
        return true;
    }

    bool ParseDrivers(const json& value, const std::string& path, World& world) {
        if (!ExpectArray(value, path)) return false;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const std::string at = Index(path, i);
            if (!ExpectString(value[i], at)) return false;
            std::string name = value[i].get<std::string>();
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            if (name != "HVBRDG" && name != "QXDKPDRV" && name != "ZN_URDR" && name != "QX20DISK")
                return Fail(at, "expected one of HVBRDG, QXDKPDRV, ZN_URDR, QX20DISK, got " +
                                    Describe(value[i]));
            world.drivers.insert(name);
        }
        return true;
    }

    bool ParseAspi(const json& value, const std::string& path, World& world) {
        AspiConfig config;
        const std::map<std::string, KeyHandler> handlers = {
            {"library",
             [&](const json& v, const std::string& p) {
                 static const std::map<std::string, AspiLibrary> kinds = {
                     {"present", AspiLibrary::Present},
                     {"missing", AspiLibrary::Missing},
                     {"no-GetASPI32SupportInfo", AspiLibrary::NoGetSupportInfo},
                     {"no-SendASPI32Command", AspiLibrary::NoSendCommand},
                 };
                 const auto kind = v.is_string() ? kinds.find(v.get<std::string>()) : kinds.end();
                 if (kind == kinds.end())
                     return Fail(p,
                                 "expected one of present, missing, no-GetASPI32SupportInfo, "
                                 "no-SendASPI32Command, got " +
                                     Describe(v));
                 config.library = kind->second;
                 return true;
             }},
            {"adapters",
             [&](const json& v, const std::string& p) {
                 config.adaptersGiven = true;
                 return ReadByte(v, p, config.adapters);
             }},
            {"status",
             [&](const json& v, const std::string& p) { return ReadByte(v, p, config.status); }},
        };
        if (!ForEachKey(value, path, handlers)) return false;
        world.aspi = config;
        return true;
    }

    bool ParseRegistry(const json& value, const std::string& path, World& world) {
        if (!ExpectObject(value, path)) return false;
        for (const auto& [keyText, values] : value.items()) {
            const std::string keyPath = Key(path, keyText);
            if (!ExpectObject(values, keyPath)) return false;
            for (const auto& [name, data] : values.items()) {
                if (!ExpectString(data, Key(keyPath, name))) return false;
                world.registry[keyText][name] = data.get<std::string>();
            }
        }
        return true;
    }

    bool ParseDevices(const json& value, const std::string& path, World& world) {
        if (!ExpectArray(value, path)) return false;
        for (std::size_t i = 0; i < value.size(); ++i) {
            Reader reader;
            // Readers get distinct serial numbers unless the world gives its own.
            const std::string number = std::to_string(i + 1);
            reader.serial =
                std::string(12 - std::min<std::size_t>(12, number.size()), '0') + number;
            if (!ParseDevice(value[i], Index(path, i), reader)) return false;
            world.devices.push_back(std::move(reader));
        }
        return true;
    }

    bool ParseDevice(const json& value, const std::string& path, Reader& reader) {
        std::optional<std::string> aspiPath;
        bool haveFirmware = false;
        bool haveMsFirmware = false;
        const auto firmwareOnce = [&](bool& seen, const std::string& p) {
            if (seen) return Fail(p, "give the firmware either as hex or as a file, not both");
            seen = true;
            return true;
        };
        const std::map<std::string, KeyHandler> handlers = {
            {"vid", [&](const json& v, const std::string& p) { return ReadId(v, p, reader.vid); }},
            {"pid", [&](const json& v, const std::string& p) { return ReadId(v, p, reader.pid); }},
            {"manufacturer",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 24, reader.manufacturer);
             }},
            {"product", [&](const json& v,
                            const std::string& p) { return ReadText(v, p, 16, reader.product); }},
            {"serial",
             [&](const json& v, const std::string& p) { return ReadSerial(v, p, reader.serial); }},
            {"inquiryVendor",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 8, reader.inquiryVendor);
             }},
            {"inquiryProduct",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 16, reader.inquiryProduct);
             }},
            {"inquiryRevision",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 4, reader.inquiryRevision);
             }},
            {"firmwareRevision",
             [&](const json& v, const std::string& p) {
                 return ReadFixedHex(v, p, reader.firmwareRevision);
             }},
            {"usb20FirmwareRevision",
             [&](const json& v, const std::string& p) {
                 return ReadFixedHex(v, p, reader.usb20FirmwareRevision);
             }},
            {"orgFirmwareRevision",
             [&](const json& v, const std::string& p) {
                 return ReadFixedHex(v, p, reader.orgFirmwareRevision);
             }},
            {"hardwareCode",
             [&](const json& v, const std::string& p) {
                 return ReadFixedHex(v, p, reader.hardwareCode);
             }},
            {"msRevision",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 8, reader.msRevision);
             }},
            {"msIspRevision",
             [&](const json& v, const std::string& p) {
                 return ReadText(v, p, 8, reader.msIspRevision);
             }},
            {"slots", [&](const json& v,
                          const std::string& p) { return ReadLetters(v, p, reader.slots, true); }},
            {"aspi",
             [&](const json& v, const std::string& p) {
                 aspiPath = p;
                 return ParseReaderAspi(v, p, reader);
             }},
            {"infoBlock",
             [&](const json& v, const std::string& p) {
                 std::vector<std::uint8_t> bytes;
                 if (!ReadHexData(v, p, bytes)) return false;
                 if (bytes.size() != InfoBlockSize)
                     return Fail(p, "expected " + std::to_string(InfoBlockSize) + " bytes (" +
                                        std::to_string(2 * InfoBlockSize) + " hex digits), got " +
                                        std::to_string(bytes.size()) + " bytes");
                 reader.infoBlock.emplace();
                 std::copy(bytes.begin(), bytes.end(), reader.infoBlock->begin());
                 return true;
             }},
            {"firmware",
             [&](const json& v, const std::string& p) {
                 return firmwareOnce(haveFirmware, p) && ReadHexData(v, p, reader.firmware);
             }},
            {"firmwareFile",
             [&](const json& v, const std::string& p) {
                 return firmwareOnce(haveFirmware, p) && ReadDataFile(v, p, reader.firmware);
             }},
            {"msFirmware",
             [&](const json& v, const std::string& p) {
                 return firmwareOnce(haveMsFirmware, p) && ReadHexData(v, p, reader.msFirmware);
             }},
            {"msFirmwareFile",
             [&](const json& v, const std::string& p) {
                 return firmwareOnce(haveMsFirmware, p) && ReadDataFile(v, p, reader.msFirmware);
             }},
            {"faults",
             [&](const json& v, const std::string& p) { return ParseFaults(v, p, reader.faults); }},
        };
        if (!ForEachKey(value, path, handlers)) return false;
        if (reader.aspi) {
            const std::size_t slots = reader.slots.empty() ? 1 : reader.slots.size();
            if (reader.aspi->targets.size() != slots)
                return Fail(Key(*aspiPath, "targets"),
                            "expected one target per slot (" + std::to_string(slots) + "), got " +
                                std::to_string(reader.aspi->targets.size()));
            aspiOwners_.push_back(*aspiPath);
        } else {
            aspiOwners_.push_back({});
        }
        return true;
    }

    bool ParseReaderAspi(const json& value, const std::string& path, Reader& reader) {
        AspiAddress address;
        const std::map<std::string, KeyHandler> handlers = {
            {"adapter",
             [&](const json& v, const std::string& p) { return ReadByte(v, p, address.adapter); }},
            {"targets",
             [&](const json& v, const std::string& p) {
                 if (!ExpectArray(v, p)) return false;
                 for (std::size_t i = 0; i < v.size(); ++i) {
                     std::uint32_t target = 0;
                     if (!ReadUnsigned(v[i], Index(p, i), MaxAspiTarget, target)) return false;
                     address.targets.push_back(static_cast<std::uint8_t>(target));
                 }
                 return true;
             }},
        };
        if (!ForEachKey(value, path, handlers)) return false;
        reader.aspi = address;
        return true;
    }

    bool CheckAspiAddresses(const World& world) {
        std::map<std::pair<std::uint8_t, std::uint8_t>, std::string> owners;
        for (std::size_t i = 0; i < world.devices.size() && i < aspiOwners_.size(); ++i) {
            const Reader& reader = world.devices[i];
            if (!reader.aspi) continue;
            for (std::size_t t = 0; t < reader.aspi->targets.size(); ++t) {
                const std::string at = Index(Key(aspiOwners_[i], "targets"), t);
                const auto [it, inserted] =
                    owners.emplace(std::pair{reader.aspi->adapter, reader.aspi->targets[t]}, at);
                if (!inserted)
                    return Fail(at, "adapter " + std::to_string(reader.aspi->adapter) + " target " +
                                        std::to_string(reader.aspi->targets[t]) +
                                        " is already used by " + it->second);
            }
        }
        return true;
    }

    bool ParseFaults(const json& value, const std::string& path, Faults& faults) {
        const auto count = [&](std::optional<std::uint32_t>& out) {
            return [&](const json& v, const std::string& p) {
                std::uint32_t number = 0;
                if (!ReadUnsigned(v, p, 0xFF, number)) return false;
                out = number;
                return true;
            };
        };
        const std::map<std::string, KeyHandler> handlers = {
            {"fail",
             [&](const json& v, const std::string& p) {
                 if (!ExpectArray(v, p)) return false;
                 for (std::size_t i = 0; i < v.size(); ++i) {
                     FailRule rule;
                     if (!ParseFailRule(v[i], Index(p, i), rule)) return false;
                     faults.fail.push_back(rule);
                 }
                 return true;
             }},
            {"scsiStatus",
             [&](const json& v, const std::string& p) {
                 std::uint8_t status = 0;
                 if (!ReadByte(v, p, status)) return false;
                 faults.scsiStatus = status;
                 return true;
             }},
            {"deviceCount", count(faults.deviceCount)},
            {"slotCount", count(faults.slotCount)},
            {"ispStatus",
             [&](const json& v, const std::string& p) {
                 if (!ExpectObject(v, p)) return false;
                 for (const auto& [call, status] : v.items()) {
                     const std::string at = Key(p, call);
                     const auto number = ParseCallNumber(call);
                     if (!number) return Fail(at, "expected a call number from 1 as the key");
                     std::uint8_t byte = 0;
                     if (!ReadByte(status, at, byte)) return false;
                     faults.ispStatus[*number] = byte;
                 }
                 return true;
             }},
        };
        return ForEachKey(value, path, handlers);
    }

    static std::optional<std::uint32_t> ParseCallNumber(std::string_view text) {
        if (text.empty() || text.size() > 9) return std::nullopt;
        std::uint32_t number = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return std::nullopt;
            number = number * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (number == 0) return std::nullopt;
        return number;
    }

    bool ParseFailRule(const json& value, const std::string& path, FailRule& rule) {
        const std::string expected =
            "expected a command name, optionally with \"#n\" for its n-th call (e.g. "
            "\"GetSlotCount#2\"), got ";
        if (!value.is_string()) return Fail(path, expected + Describe(value));
        const std::string& text = value.get_ref<const std::string&>();
        const std::size_t hash = text.find('#');
        const auto command = CommandFromName(std::string_view(text).substr(0, hash));
        if (!command) {
            std::string names;
            for (std::size_t i = 0; i < CommandCount; ++i)
                names += (i ? ", " : "") + std::string(CommandName(static_cast<Command>(i)));
            return Fail(path, "unknown command " + Quote(text.substr(0, hash)) +
                                  "; expected one of " + names);
        }
        rule.command = *command;
        rule.call = 0;
        if (hash != std::string::npos) {
            const auto number = ParseCallNumber(std::string_view(text).substr(hash + 1));
            if (!number) return Fail(path, expected + Describe(value));
            rule.call = *number;
        }
        return true;
    }

    std::string source_;
    std::filesystem::path baseDir_;
    std::string error_;
    std::map<char, std::string> letterOwners_;
    std::vector<std::string> aspiOwners_;  // path of each reader's "aspi", empty when none
};

}  // namespace

WorldLoadResult ParseWorld(std::string_view json, std::string_view sourceName) {
    WorldParser parser(sourceName);
    return parser.Parse(json);
}

WorldLoadResult LoadWorldFile(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        return {std::nullopt, file.string() + ": is a directory, not a world file"};
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return {std::nullopt, file.string() + ": cannot open the world file"};
    std::ostringstream text;
    text << stream.rdbuf();
    if (stream.bad()) return {std::nullopt, file.string() + ": cannot read the world file"};
    return ParseWorld(text.str(), file.string());
}

}  // namespace kestrix::sim
