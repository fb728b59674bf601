#include "form/stream_locator.h"

#include <algorithm>
#include <array>

#include "form/stream_format.h"

namespace morvane::form {

std::vector<StreamCandidate> find_form_streams(std::span<const std::uint8_t> file, const Guid& form_id) {
  std::array<std::uint8_t, 5 + 16> pattern{header_magic[0], header_magic[1],
                                           static_cast<std::uint8_t>(header_rest_length & 0xFF),
                                           static_cast<std::uint8_t>(header_rest_length >> 8), 6};
  std::copy(form_id.bytes.begin(), form_id.bytes.end(), pattern.begin() + 5);

  std::vector<StreamCandidate> found;
  auto from = file.begin();
  for (;;) {
    auto it = std::search(from, file.end(), pattern.begin(), pattern.end());
    if (it == file.end()) break;
    const auto offset = static_cast<std::size_t>(it - file.begin());
    std::size_t end = file.size();
    const std::size_t length_at = offset + form_record_offset;
    if (length_at <= file.size() && file.size() - length_at >= 4) {
      const std::uint64_t form_length = static_cast<std::uint64_t>(file[length_at]) |
                                        static_cast<std::uint64_t>(file[length_at + 1]) << 8 |
                                        static_cast<std::uint64_t>(file[length_at + 2]) << 16 |
                                        static_cast<std::uint64_t>(file[length_at + 3]) << 24;
      if (form_length <= file.size() - length_at) end = length_at + static_cast<std::size_t>(form_length);
    }
    found.push_back({offset, file.subspan(offset, end - offset)});
    from = it + 1;
  }
  return found;
}

}  // namespace morvane::form
