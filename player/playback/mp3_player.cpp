#include "player/playback/mp3_player.h"

#include "player/playback/playback_engine.h"
#include "player/playback/system_audio.h"
#include "runtime/core/runtime_error.h"

namespace player {
namespace {

constexpr rt::DispatchId kOpen = 17;
constexpr rt::DispatchId kPlay = 18;
constexpr rt::DispatchId kStop = 21;

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
  rt::Variant Invoke(rt::DispatchId id, std::span<const rt::Variant> args) override {
    switch (id) {
      case kOpen: {
        // The second argument carries options this player has none of.
        TextArgument(args, 1);
        return ResultCode(engine_.Open(TextArgument(args, 0)));
      }
      case kPlay:
        return ResultCode(engine_.Play());
      case kStop:
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

std::unique_ptr<rt::Component> CreateMp3Player() {
  Audio();  // binds the system's audio libraries here, where a failure can be reported
  return std::make_unique<Mp3Player>();
}

}  // namespace player
