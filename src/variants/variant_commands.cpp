#include "variants/variant_commands.h"

#include "cli/request.h"
#include "cli/result.h"

int handleInstallVariant(const CommandRequest&) { return failWith("not available yet"); }
int handleInstallVariantByPath(const CommandRequest&) { return failWith("not available yet"); }
int handleRemoveVariantByTitle(const CommandRequest&) { return failWith("not available yet"); }
int handleRemoveVariantByTexture(const CommandRequest&) { return failWith("not available yet"); }
int handleSanitizeVariants(const CommandRequest&) { return failWith("not available yet"); }
int handleAppendText(const CommandRequest&) { return failWith("not available yet"); }
