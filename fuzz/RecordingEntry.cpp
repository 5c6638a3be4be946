#include "FuzzEntries.h"
#include "game/Recording.h"

namespace gh::fuzz {

std::string CheckRecordingBytes(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const RecordingLimits limits;
  const Result<GameRecording> read = DecodeRecording(bytes, limits);
  if (!read) {
    if (read.error().message.empty()) return "refused without a reason";
    return {};
  }
  if (size > limits.MaxBytes) return "a file over the size limit was read";
  if (read->Frames.size() > limits.MaxFrames) return "more frames than the limit were read";

  // What was read writes and reads back unchanged.
  const std::string written = EncodeRecording(*read);
  const Result<GameRecording> again = DecodeRecording(written, limits);
  if (!again) return "a written recording does not read back: " + again.error().message;
  if (!(*again == *read)) return "a written recording reads back different";

  // The limits hold at their edge: one byte or one frame fewer refuses it.
  if (size > 0 && DecodeRecording(bytes, {.MaxBytes = size - 1, .MaxFrames = limits.MaxFrames}))
    return "a file one byte over the size limit was read";
  if (!read->Frames.empty()) {
    const RecordingLimits fewer{.MaxBytes = limits.MaxBytes,
                                .MaxFrames = static_cast<uint32_t>(read->Frames.size() - 1)};
    if (DecodeRecording(bytes, fewer)) return "a recording one frame over the limit was read";
  }
  return {};
}

}  // namespace gh::fuzz
