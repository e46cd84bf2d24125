#include "editor/EditorContext.h"

#include "common/Language.h"
#include "model/SettingsModel.h"

namespace tc {

EditorContext EditorContext::FromModel(SettingsModel& model, Language language)
{
    EditorContext ctx;
    ctx.catalog = model.SharedCatalog();
    const Catalog& c = *ctx.catalog;
    ctx.modelCode = c.ModelCode;
    ctx.modelListed = c.ModelListed;
    ctx.modelName = c.ModelName;
    ctx.features = c.Features;
    ctx.protocols.reserve(c.Protocols.size());
    for (const auto& p : c.Protocols)
        ctx.protocols.push_back(p.get());
    ctx.protocol = model.CurrentProtocol();
    ctx.language = language;
    ctx.params = &model.Parameters();
    ctx.menus = &c.MenuItems;
    return ctx;
}

} // namespace tc
