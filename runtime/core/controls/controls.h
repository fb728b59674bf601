// The form and its controls: picture box, label, command button. Each control keeps
// its properties, raises nothing itself and tells its host when its look changes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "form/property_table.h"
#include "formats/control_kinds.h"
#include "runtime/core/objects/geometry.h"
#include "runtime/core/objects/object.h"
#include "runtime/core/objects/status.h"
#include "runtime/core/objects/variant.h"
#include "runtime/bitmap/bitmap.h"

namespace morvane::runtime {

using formats::ControlKind;
using formats::kind_name;
using formats::system_color;

struct FontSpec {
  std::string name = "MS Sans Serif";
  std::uint32_t size_e4 = 82500;  // ten-thousandths of a point
  std::uint16_t weight = 400;
  std::uint16_t charset = 0;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  // Pixel height at 96 dots per inch: 14.25 pt gives 19, 15.75 pt gives 21.
  int pixel_size() const { return static_cast<int>((size_e4 * 96 + 36 * 10000) / (72 * 10000)); }
};

class Control;

// What a control tells the window that holds it.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual void control_changed(Control& control, PixelRect area) = 0;  // repaint this area
  virtual void visibility_changed(Control& control) = 0;
  // Whether a typed Visible assignment may go ahead: a failing status refuses it.
  virtual Status check_visible_assignment(Control& control, Boolean value) = 0;
};

class Control : public Object {
 public:
  Control(ControlKind kind, std::string name, int number);

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int number() const { return number_; }  // place in the form description; 0 for the form
  void set_host(ControlHost* host) { host_ = host; }

  // Settings (twips for positions and sizes).
  std::int32_t left() const { return left_; }
  std::int32_t top() const { return top_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  void move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
  PixelRect pixel_rect() const;  // outer rectangle in the form's client pixels
  // The client area inside the control's border, in the form's client pixels: where
  // its own coordinates start. The form's own is its whole client area.
  PixelRect client_pixel_rect() const;
  int border_width() const;

  bool visible() const { return visible_; }
  void set_visible(bool v);
  std::int16_t tab_index() const { return tab_index_; }
  void set_tab_index(std::int16_t t) { tab_index_ = t; }
  const std::u16string& tag() const { return tag_; }
  void set_tag(std::u16string t) { tag_ = std::move(t); }
  std::uint32_t back_color() const { return back_color_; }
  void set_back_color(std::uint32_t c);
  std::uint32_t fore_color() const { return fore_color_; }
  void set_fore_color(std::uint32_t c);
  const std::string& caption() const { return caption_; }
  void set_caption(std::string c);
  const FontSpec& font() const { return font_; }
  void set_font(FontSpec f);
  bool automatic_drag() const { return automatic_drag_; }
  void set_automatic_drag(bool on) { automatic_drag_ = on; }
  const std::shared_ptr<const Picture>& picture() const { return picture_; }
  void set_picture(std::shared_ptr<const Picture> p);

  const formats::KindFacts& facts() const { return formats::kind_facts(kind_); }
  bool takes_focus() const { return facts().takes_focus; }

  // A property by its row of the property table: what the control acts on comes from
  // its state, any other property is kept as it was set; nothing when never set and
  // without a default.
  std::optional<form::PropertyValue> property(const form::PropertyRow& row) const;
  // Throws RuntimeError for a value of another encoding than the row's.
  void set_property(const form::PropertyRow& row, form::PropertyValue value);
  // The table whose rows access by name reaches, the program's unless told; setting it
  // applies its defaults for the kind.
  const form::PropertyTable& properties() const { return *properties_; }
  void use_properties(const form::PropertyTable& table);

  // Late-bound access by name (ASCII case-insensitive): the name and the members of
  // the property rows the kind reaches by name. Unknown members, wrong value types and
  // read-only members raise RuntimeError.
  Variant get_member(std::u16string_view name);
  void set_member(std::u16string_view name, const Variant& value);

 protected:
  void changed();  // repaint the whole control
  ControlHost* host() const { return host_; }

 private:
  ControlKind kind_;
  std::string name_;
  int number_;
  ControlHost* host_ = nullptr;
  const form::PropertyTable* properties_ = nullptr;
  form::PropertySet kept_;  // the properties the runtime does not act on
  // The kind's defaults come from the property table when the control is made.
  std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = false;
  std::int16_t tab_index_ = 0;
  std::u16string tag_;
  std::uint32_t back_color_ = 0;
  std::uint32_t fore_color_ = 0;
  std::string caption_;
  FontSpec font_;
  bool automatic_drag_ = false;
  std::shared_ptr<const Picture> picture_;
};

// Picture box: sunken single border two pixels wide, picture unscaled at the top-left.
class PictureBox final : public Control {
 public:
  PictureBox(std::string name, int number);
  // The typed Visible setter: returns a status, negative on failure.
  Status put_visible(Boolean value);
};

class Label final : public Control {
 public:
  Label(std::string name, int number);
};

class CommandButton final : public Control {
 public:
  CommandButton(std::string name, int number);
};

}  // namespace morvane::runtime

namespace morvane::runtime {

// Late-bound access to any object of the runtime; an object that is no control,
// or none at all, raises RuntimeError.
Variant get_member_by_name(Object* object, std::u16string_view name);
void set_member_by_name(Object* object, std::u16string_view name, const Variant& value);

// Raises the run-time error for a failed typed call on `control` through the
// interface `interface_id`; the description is the control's own. Never returns.
[[noreturn]] void raise_status_error(Status status, const Control& control, std::string_view interface_id);

inline constexpr std::string_view kPictureBoxInterface = "{33AD4ED1-6699-11CF-B70C-00AA0060D393}";

}  // namespace morvane::runtime
