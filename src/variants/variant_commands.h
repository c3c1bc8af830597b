// The variant management commands: install, remove, renumber, append text.
#ifndef FUSELOX_VARIANTS_VARIANT_COMMANDS_H_
#define FUSELOX_VARIANTS_VARIANT_COMMANDS_H_

struct CommandRequest;

int handleInstallVariant(const CommandRequest& request);
int handleInstallVariantByPath(const CommandRequest& request);
int handleRemoveVariantByTitle(const CommandRequest& request);
int handleRemoveVariantByTexture(const CommandRequest& request);
int handleSanitizeVariants(const CommandRequest& request);
int handleAppendText(const CommandRequest& request);

#endif  // FUSELOX_VARIANTS_VARIANT_COMMANDS_H_
