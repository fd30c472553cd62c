#include "rig/single_commands.h"

#include "window/channel_window.h"
#include "rig/family.h"
#include "rig/icom.h"
#include "rig/kenwood.h"
#include "rig/yaesu.h"

namespace varnek {

void SendVfoA(const RigContext& ctx) {
  switch (SingleCommandFormOf(ctx.form.shared.ModelCode.Get())) {
    case CommandForm::Icom:
      return IcomVfoA(ctx);
    case CommandForm::Yaesu:
      return YaesuVfoA(ctx);
    case CommandForm::Ascii:
      return KenwoodVfoA(ctx);
  }
}

void SendMemoryModeCommand(const RigContext& ctx) {
  switch (SingleCommandFormOf(ctx.form.shared.ModelCode.Get())) {
    case CommandForm::Icom:
      return IcomMemoryMode(ctx);
    case CommandForm::Yaesu:
      return YaesuMemoryMode(ctx);
    case CommandForm::Ascii:
      return KenwoodMemoryMode(ctx);
  }
}

}  // namespace varnek
