// Settings file commands: new, info, image.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include "Json.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace tc::cli {

void ReadCheckedSettingsFile(SettingsModel& model, const std::string& path, Language language)
{
    // The window's judgement: refused as it refuses, warned as it warns.
    const JudgedSettings judged = LoadSettingsFile(path, language);
    for (const auto& warning : judged.warnings)
        std::cerr << "warning: " << warning << "\n";
    model.DeviceModelCode = judged.modelCode;
    model.Image = judged.image;
}

namespace {

const char* StatusKey(SectionStatus s)
{
    static constexpr const char* kKeys[] = {"ok", "short", "truncated", "invalid"};
    return NameOf(s, kKeys);
}

const char* StatusText(SectionStatus s)
{
    static constexpr const char* kTexts[] = {"", "  (cut short by the end of the image)",
                                             "  (longer than its record; the rest is kept as is)",
                                             "  (unusable entry: not decoded)"};
    return NameOf(s, kTexts);
}

std::string OnePath(Args& args, const std::string& what)
{
    const auto& rest = args.Positional(1, "expected one " + what);
    return rest[0];
}

const Registration kNew{{"new", "new --model CODE -o FILE",
    "write a settings file of the reference layout with every default",
    {{"--model", "CODE", "the device model code (0xC000 or 49152)", Complete::Model}, {"-o", "FILE", "the settings file to write", Complete::Settings}},
    {},
    [](Args& args) {
        const std::string code = args.Option("--model");
        const std::string out = args.Option("-o");
        if (code.empty() || out.empty() || !args.Positional().empty())
            throw UsageError{"--model and -o are required"};
        SettingsModel model(args.language);
        LoadReferenceImage(model, static_cast<std::uint16_t>(ParseNumber(code, 0xFFFF, "CODE")));
        WriteSettingsFile(model, out, args.language);
        std::cout << "wrote " << out << " (model " << Hex4(model.DeviceModelCode) << ", " << model.Image.size() + 2 << " bytes)\n";
        return 0;
    }}};

const Registration kInfo{{"info", "info FILE [--json]", "describe a settings file: model code, image, directory",
    {JsonOption()},
    {{Complete::Settings}},
    [](Args& args) {
        const std::string path = OnePath(args, "settings file");
        SettingsModel model(args.language);
        model.Image.clear();
        ReadCheckedSettingsFile(model, path, args.language);
        model.ReadDirectory();
        const auto& dir = model.Dir();
        if (args.Flag("--json")) {
            Json doc;
            doc["model_code"] = model.DeviceModelCode;
            doc["model_code_hex"] = Hex4(model.DeviceModelCode);
            doc["image_length"] = model.Image.size();
            doc["section_count"] = model.SectionCount();
            doc["format_version"] = model.FormatVersion();
            Json sections = Json::array();
            for (int k = 1; k <= kDirectoryEntries; ++k) {
                const auto& e = dir.Entry(k);
                Json row{{"k", k}, {"address", e.address}, {"length", e.deviceLength}};
                row["payload"] = e.deviceLength >= 4 ? Json(e.deviceLength - 4) : Json(nullptr);
                row["status"] = k <= kRecordCount && k <= model.SectionCount() ? Json(StatusKey(model.DecodeSection(k))) : Json(nullptr);
                sections.push_back(row);
            }
            doc["sections"] = sections;
            const unsigned protocolIndex = model.ProtocolIndex();
            model.EvaluateCatalog(args.language);
            doc["model_name"] = IsListedModel(model.DeviceModelCode) ? Json(model.ModelCatalog().ModelName) : Json(nullptr);
            if (const VehicleProtocol* p = model.CurrentProtocol())
                doc["protocol"] = {{"index", protocolIndex}, {"number", static_cast<int>(p->ProtNumber)}, {"name", std::string(p->ProtName)}};
            else
                doc["protocol"] = {{"index", protocolIndex}, {"problem", model.CurrentProtocolProblem(args.language)}};
            PrintJson(doc);
            return 0;
        }
        std::cout << "model code:      " << Hex4(model.DeviceModelCode) << "\n"
                  << "image length:    " << model.Image.size() << "\n"
                  << "section count:   " << model.SectionCount() << "\n"
                  << "format version:  " << model.FormatVersion() << "\n";
        std::cout << "  k  address  length  payload\n";
        for (int k = 1; k <= kDirectoryEntries; ++k) {
            const auto& e = dir.Entry(k);
            const int payload = e.deviceLength >= 4 ? e.deviceLength - 4 : -1;
            char row[96];
            std::snprintf(row, sizeof row, "%3d  %7u  %6u  %7s", k, e.address, e.deviceLength,
                          payload >= 0 ? std::to_string(payload).c_str() : "-");
            std::cout << row;
            if (k <= kRecordCount && k <= model.SectionCount())
                std::cout << StatusText(model.DecodeSection(k));
            std::cout << "\n";
        }
        // The model table: the name and the protocol at the stored index (record 10, offset 4).
        const unsigned protocolIndex = model.ProtocolIndex(); // the default 0 when section 10 is missing
        model.EvaluateCatalog(args.language);
        std::cout << "model name:      " << (IsListedModel(model.DeviceModelCode) ? model.ModelCatalog().ModelName : Tr(args.language, "(неизвестный код модели)", "(unknown model code)")) << "\n";
        if (const VehicleProtocol* p = model.CurrentProtocol())
            std::cout << "protocol:        " << protocolIndex << ": " << static_cast<int>(p->ProtNumber) << " " << p->ProtName << "\n";
        else
            std::cout << "protocol:        " << model.CurrentProtocolProblem(args.language) << "\n";
        return 0;
    }}};

const Registration kImage{{"image", "image FILE -o RAW", "write the plain (unscrambled) image bytes of a settings file",
    {{"-o", "RAW", "the file of image bytes to write", Complete::AnyFile}},
    {{Complete::Settings}},
    [](Args& args) {
        const std::string out = args.Option("-o");
        if (out.empty())
            throw UsageError{"-o is required"};
        const std::string path = OnePath(args, "settings file");
        SettingsModel model(args.language);
        model.Image.clear();
        ReadCheckedSettingsFile(model, path, args.language);
        WriteFileAtomically(out, model.Image, args.language);
        std::cout << "wrote " << model.Image.size() << " image bytes to " << out << "\n";
        return 0;
    }}};

} // namespace
} // namespace tc::cli
