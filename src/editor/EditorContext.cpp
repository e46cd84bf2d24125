#include "editor/EditorContext.h"

#include "catalogs/Catalogs.h"
#include "common/Language.h"

namespace tc {

EditorContext EditorContext::FromCatalogs()
{
    const CatalogState& s = Catalogs();
    EditorContext ctx;
    ctx.modelCode = s.ModelCode;
    ctx.modelListed = s.ModelListed;
    ctx.modelName = s.ModelName;
    ctx.features = s.Features;
    ctx.protocols.reserve(s.Protocols.size());
    for (const auto& p : s.Protocols)
        ctx.protocols.push_back(p.get());
    ctx.protocol = s.CurrentProtocol;
    ctx.english = EnglishVersion;
    ctx.params = &Catalogs().MeasPars;
    ctx.menus = &Catalogs().MenuItems;
    ctx.protocolSelected = [](unsigned index) { SelectProtocol(index); };
    return ctx;
}

} // namespace tc
