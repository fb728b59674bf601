#include "app/form1_model.h"

#include <algorithm>

#include "app/form1.h"

namespace morvane::app {
namespace {

form::Rect rect(const Twips& t) { return {t.left, t.top, t.width, t.height}; }

std::optional<form::PictureBytes> picture_bytes(Picture picture, const Form1Pictures& pictures) {
  const std::vector<std::uint8_t>* bytes = nullptr;
  switch (picture) {
    case Picture::none: return std::nullopt;
    case Picture::enzyme: bytes = &pictures.enzyme; break;
    case Picture::substrate: bytes = &pictures.substrate; break;
    case Picture::product: bytes = &pictures.product; break;
    case Picture::complex: bytes = &pictures.complex; break;
  }
  if (bytes->empty()) return std::nullopt;
  return form::PictureBytes(*bytes);
}

template <class T>
std::optional<std::basic_string<T>> text(const std::optional<std::basic_string_view<T>>& view) {
  if (!view) return std::nullopt;
  return std::basic_string<T>(*view);
}

form::ControlRecord control_record(const Form1Entry& entry, const Form1Pictures& pictures) {
  const Settings& s = entry.settings;
  form::ControlRecord r;
  r.number = static_cast<std::uint8_t>(entry.number);
  r.name = std::string(entry.name);
  r.kind = entry.kind;
  r.caption = text(s.caption);
  r.back_color = s.back_color;
  r.fore_color = s.fore_color;
  r.picture = picture_bytes(s.picture, pictures);
  if (s.bounds) r.bounds = rect(*s.bounds);
  r.visible = s.visible;
  r.tab_index = s.tab_index;
  r.flags = s.flags;
  if (s.font) r.font = form::Font{.size_e4 = s.font->size_e4, .name = std::string(s.font->name)};
  r.drag_mode = s.drag_mode;
  r.setting_2a = s.setting_2a;
  r.tag = text(s.tag);
  return r;
}

form::FormSettings form_settings() {
  const FormDeclaration& d = kForm1Form;
  form::FormSettings f;
  f.name = std::string(d.name);
  f.header_ids = {form1_id(), form::Guid::parse(d.object_id),
                  form::Guid{formats::kind_facts(formats::ControlKind::form).class_id}};
  f.record_bytes = d.record_bytes;
  f.caption = std::string(d.caption);
  f.back_color = d.back_color;
  f.flags = d.flags;
  f.setting_23 = d.setting_23;
  f.link_topic = std::string(d.link_topic);
  f.client_area = rect(d.client_area);
  f.startup_position = d.startup_position;
  return f;
}

}  // namespace

form::Guid form1_id() { return form::Guid::parse(kForm1Form.id); }

form::WindowModel form1_model(const Form1Pictures& pictures) {
  form::WindowModel m;
  m.form = form_settings();
  for (const Form1Entry& entry : kForm1)
    if (entry.kind != formats::ControlKind::form) m.controls.push_back(control_record(entry, pictures));
  // The stream carries the controls by number.
  std::sort(m.controls.begin(), m.controls.end(),
            [](const form::ControlRecord& a, const form::ControlRecord& b) { return a.number < b.number; });
  return m;
}

}  // namespace morvane::app
