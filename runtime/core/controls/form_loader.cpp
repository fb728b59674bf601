#include "runtime/core/controls/form_loader.h"

#include "form/form_stream_error.h"

namespace morvane::runtime {
namespace {

bool lies_within(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole) {
  // Compared as addresses: a part of `whole` starts at or after its start and ends at or before its end.
  const auto begin = reinterpret_cast<std::uintptr_t>(whole.data());
  const auto at = reinterpret_cast<std::uintptr_t>(part.data());
  return !whole.empty() && at >= begin && at - begin <= whole.size() && part.size() <= whole.size() - (at - begin);
}

// A picture inside the stream is shown from there, any other is copied; a refusal
// names the control, and for a picture inside the stream its offset there, as the
// stream's own refusals do.
void load_property(Control& c, const form::PropertyRow& row, const form::PropertyValue& value,
                   std::span<const std::uint8_t> stream) {
  const auto* picture = std::get_if<form::PictureBytes>(&value);
  const bool in_stream = picture && lies_within(picture->bytes(), stream);
  try {
    c.set_property(row, picture && !in_stream ? form::PropertyValue{picture->held()} : value);
  } catch (const BitmapError& e) {
    if (!in_stream)
      throw RuntimeError(status::failed, "the " + row.name + " of " + c.name() + " does not decode: " + e.what());
    const auto at = static_cast<std::size_t>(picture->bytes().data() - stream.data());
    throw form::FormStreamError(at + e.offset(), e.expected() + " in the " + row.name + " of " + c.name() +
                                                     " (byte " + std::to_string(e.offset()) + " of its bitmap)");
  }
}

// The control gets the table's defaults for its kind, then the properties the record carries.
void load_properties(Control& c, const form::PropertySet& properties, const form::PropertyTable& table,
                     std::span<const std::uint8_t> stream) {
  c.use_properties(table);
  for (const auto& [field, value] : properties) {
    const form::PropertyRow* row = table.field(field);
    if (!row || !row->entry(c.kind()))
      throw RuntimeError(status::failed, "a " + std::string(kind_name(c.kind())) + " has no property " + field, c.name());
    load_property(c, *row, value, stream);
  }
}

Ref<Control> create_control(const form::ControlRecord& r, const form::PropertyTable& table,
                            std::span<const std::uint8_t> stream) {
  Ref<Control> c;
  switch (r.kind) {
    case ControlKind::picture_box: c = Ref<Control>::adopt(new PictureBox(r.name, r.number)); break;
    case ControlKind::label: c = Ref<Control>::adopt(new Label(r.name, r.number)); break;
    case ControlKind::command_button: c = Ref<Control>::adopt(new CommandButton(r.name, r.number)); break;
    case ControlKind::form: throw RuntimeError(status::failed, "a form cannot be a control of a form", r.name);
  }
  if (!c) throw RuntimeError(status::failed, "no control kind has the code " + std::to_string(int(r.kind)), r.name);
  load_properties(*c, r.properties, table, stream);
  return c;
}

}  // namespace

Ref<FormObject> load_form(const form::WindowModel& model, const ProjectInfo& project,
                          std::span<const std::uint8_t> stream, const form::PropertyTable& table) {
  if (model.form.name != project.object_name)
    throw RuntimeError(status::failed, "the form description holds \"" + model.form.name + "\", the project loads \"" +
                                           project.object_name + "\"");
  auto form = Ref<FormObject>::adopt(new FormObject(model.form.name, project.instance_size));
  load_properties(*form, model.form.properties, table, stream);
  for (const auto& record : model.controls) form->add_control(create_control(record, table, stream));

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
