#include "runtime/core/controls/form_loader.h"

#include "form/form_stream_error.h"

namespace morvane::runtime {
namespace {

FontSpec font_spec(const form::Font& f) {
  FontSpec s;
  s.name = f.name;
  s.size_e4 = f.size_e4;
  s.weight = f.weight;
  s.charset = f.charset;
  s.italic = f.style & 0x02;
  s.underline = f.style & 0x04;
  s.strikeout = f.style & 0x08;
  return s;
}

bool lies_within(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
  // Compared as addresses: a part of `whole` starts at or after its start and ends at or before its end.
  const auto begin = reinterpret_cast<std::uintptr_t>(whole.data());
  const auto at = reinterpret_cast<std::uintptr_t>(part.data());
  return !whole.empty() && at >= begin && at - begin <= whole.size() && part.size() <= whole.size() - (at - begin);
}

// A picture inside the stream is shown from there; a refusal names the box and the
// stream offset where its bitmap went wrong, as the stream's own refusals do.
std::shared_ptr<const Picture> picture_from(const form::ControlRecord& record, std::span<const std::uint8_t> stream) {
  const std::span<const std::uint8_t> file = record.picture->bytes();
  if (!lies_within(file, stream)) {
    try {
      return std::make_shared<const Picture>(decode_bmp(file));
    } catch (const BitmapError& e) {
      throw RuntimeError(status::failed, "the picture of " + record.name + " does not decode: " + e.what());
    }
  }
  try {
    return std::make_shared<const Picture>(view_bmp(file));
  } catch (const BitmapError& e) {
    const auto at = static_cast<std::size_t>(file.data() - stream.data());
    throw form::FormStreamError(at + e.offset(), e.expected() + " in the picture of " + record.name +
                                                     " (byte " + std::to_string(e.offset()) + " of its bitmap)");
  }
}

Ref<Control> create_control(const form::ControlRecord& r, std::span<const std::uint8_t> stream) {
  const ControlKind kind = r.kind;
  Ref<Control> c;
  switch (kind) {
    case ControlKind::picture_box: c = Ref<Control>::adopt(new PictureBox(r.name, r.number)); break;
    case ControlKind::label: c = Ref<Control>::adopt(new Label(r.name, r.number)); break;
    case ControlKind::command_button: c = Ref<Control>::adopt(new CommandButton(r.name, r.number)); break;
    case ControlKind::form: throw RuntimeError(status::failed, "a form cannot be a control of a form", r.name);
  }
  if (!c) throw RuntimeError(status::failed, "no control kind has the code " + std::to_string(int(kind)), r.name);
  // Settings the model carries; the constructor has set the kind's defaults.
  if (r.bounds) c->move(r.bounds->left, r.bounds->top, r.bounds->width, r.bounds->height);
  if (r.visible) c->set_visible(*r.visible);
  c->set_tab_index(r.tab_index);
  if (r.caption) c->set_caption(*r.caption);
  if (r.back_color) c->set_back_color(*r.back_color);
  if (r.fore_color) c->set_fore_color(*r.fore_color);
  if (r.font) c->set_font(font_spec(*r.font));
  if (r.drag_mode) c->set_automatic_drag(*r.drag_mode == 1);
  if (r.tag) c->set_tag(*r.tag);
  if (r.picture) c->set_picture(picture_from(r, stream));
  return c;
}

}  // namespace

Ref<FormObject> load_form(const form::WindowModel& model, const ProjectInfo& project,
                          std::span<const std::uint8_t> stream) {
  if (model.form.name != project.object_name)
    throw RuntimeError(status::failed, "the form description holds \"" + model.form.name + "\", the project loads \"" +
                                           project.object_name + "\"");
  auto form = Ref<FormObject>::adopt(new FormObject(model.form.name, project.instance_size));
  if (model.form.caption) form->set_caption(*model.form.caption);
  if (model.form.back_color) form->set_back_color(*model.form.back_color);
  if (model.form.startup_position) form->set_startup_position(*model.form.startup_position);
  if (const auto& area = model.form.client_area) {
    // The window's framebuffer is sized from it: refuse what no screen shows.
    const int w = twips_to_pixels(area->width), h = twips_to_pixels(area->height);
    if (w < 0 || h < 0 || w > kMaxClientSide || h > kMaxClientSide)
      throw RuntimeError(status::failed, "the client area of " + model.form.name + " is " + std::to_string(w) + " x " +
                                             std::to_string(h) + " pixels; expected 0 to " +
                                             std::to_string(kMaxClientSide) + " each way");
    form->move(area->left, area->top, area->width, area->height);
  }

  for (const auto& record : model.controls) form->add_control(create_control(record, stream));

  // Every control entry names a control of the description (or the form) of the same kind.
  for (const auto& entry : project.controls) {
    const formats::KindFacts* class_kind = formats::kind_of_class(entry.class_id);
    if (!class_kind) throw RuntimeError(status::failed, "control entry \"" + entry.name + "\" names an unknown class");
    Control* c = entry.is_form() ? static_cast<Control*>(form.get()) : form->by_number(entry.number);
    if (!c)
      throw RuntimeError(status::failed, "control entry \"" + entry.name + "\" names control number " +
                                             std::to_string(entry.number) + ", which the form description lacks");
    if (c->kind() != class_kind->kind)
      throw RuntimeError(status::failed, "control entry \"" + entry.name + "\" is a " + std::string(class_kind->name) +
                                             " but the form description makes " + c->name() + " a " +
                                             std::string(kind_name(c->kind())));
    form->connect_sink(entry.sink_place, entry.is_form() ? 0 : entry.number);
  }
  for (const auto& c : form->controls()) {
    bool found = false;
    for (const auto& entry : project.controls) found = found || (!entry.is_form() && entry.number == c->number());
    if (!found) throw RuntimeError(status::failed, "control " + c->name() + " has no entry in the control list");
  }
  return form;
}

}  // namespace morvane::runtime
