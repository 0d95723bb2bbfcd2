#include "player/playback/mp3_player.h"

#include "player/playback/playback_engine.h"
#include "player/playback/system_audio.h"
#include "runtime/core/runtime_error.h"

namespace player {
namespace {

const std::wstring& TextArgument(std::span<const rt::Variant> args, std::size_t index) {
  if (index >= args.size() || args[index].isMissing()) {
    throw rt::RuntimeError(rt::ErrorNumber::ArgumentNotOptional, "Invoke");
  }
  if (!args[index].isText()) throw rt::RuntimeError(rt::ErrorNumber::TypeMismatch, "Invoke");
  return args[index].text();
}

rt::Variant ResultCode(PlayResult result) { return rt::Variant::Integer(static_cast<std::int16_t>(result)); }

class Mp3Player final : public rt::Component {
 public:
  Mp3Player() : engine_(LoadSystemAudio) {}

  rt::Variant Invoke(rt::DispatchId id, std::span<const rt::Variant> args) override {
    switch (id) {
      case kOpenDispatchId: {
        // The second argument carries options this player has none of.
        TextArgument(args, 1);
        return ResultCode(engine_.Open(TextArgument(args, 0)));
      }
      case kPlayDispatchId:
        return ResultCode(engine_.Play());
      case kStopDispatchId:
        engine_.Stop();
        return rt::Variant();
      default:
        throw rt::RuntimeError(rt::ErrorNumber::MethodNotSupported, "Invoke");
    }
  }

 private:
  PlaybackEngine engine_;
};

}  // namespace

std::unique_ptr<rt::Component> CreateMp3Player() { return std::make_unique<Mp3Player>(); }

}  // namespace player
