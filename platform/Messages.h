#pragma once

#include "engine/Platform.h"

namespace velt::platform {

/// Modal message boxes with exactly the given title, text, icon, buttons and default.
class Messages final : public IMessages {
public:
    MessageAnswer Show(const Message& message) override;
};

} // namespace velt::platform
