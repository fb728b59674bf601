// The window on the accessibility bus: ATK objects for the application, its window
// (a frame), one per node and one for the sentences, handed to the bus by ATK's
// AT-SPI bridge. Every answer is read from the program at the time it is asked.
//
// Sentences: ATK 2.46 has no call that announces one, so the last sentence is the name
// of a notification object, the frame's last child; each new sentence changes its name
// and shows it again (state "showing" off, then on), which screen readers speak as a
// notification.
#include <atk-bridge.h>
#include <atk/atk.h>
#include <dbus/dbus.h>
#include <glib-object.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "runtime/backends/desktop/access_module.h"

namespace am = morvane::runtime::access_module;

namespace {

am::Host* g_host = nullptr;
AtkObject* g_root = nullptr;
AtkObject* g_frame = nullptr;
std::vector<AtkObject*> g_nodes;     // by the host's index
AtkObject* g_notification = nullptr;  // the frame's last child

// An ATK object type of this module's, with the interfaces it implements.
struct Interface {
  GType type;
  GInterfaceInitFunc init;
};
GType register_type(const char* name, GClassInitFunc class_init, guint instance_size,
                    std::initializer_list<Interface> interfaces = {}) {
  const GTypeInfo info{sizeof(AtkObjectClass), nullptr, nullptr, class_init, nullptr, nullptr,
                       static_cast<guint16>(instance_size), 0, nullptr, nullptr};
  const GType type = g_type_register_static(ATK_TYPE_OBJECT, name, &info, GTypeFlags(0));
  for (const Interface& i : interfaces) {
    const GInterfaceInfo iface{i.init, nullptr, nullptr};
    g_type_add_interface_static(type, i.type, &iface);
  }
  return type;
}

// ---- the nodes ----

struct MvNode {
  AtkObject parent;
  int index;
};

int node_index(gpointer o);
am::Node host_node(int index) { return index >= 0 && index < g_host->node_count() ? g_host->node(index) : am::Node{}; }

AtkRole atk_role(am::Role r) {
  switch (r) {
    case am::Role::label: return ATK_ROLE_LABEL;
    case am::Role::push_button: return ATK_ROLE_PUSH_BUTTON;
    case am::Role::image: return ATK_ROLE_IMAGE;
    case am::Role::notification: return ATK_ROLE_NOTIFICATION;
  }
  return ATK_ROLE_UNKNOWN;
}

const gchar* node_get_name(AtkObject* o) { return host_node(node_index(o)).name; }
const gchar* node_get_description(AtkObject* o) { return host_node(node_index(o)).description; }
AtkRole node_get_role(AtkObject* o) { return atk_role(host_node(node_index(o)).role); }
gint node_get_n_children(AtkObject*) { return 0; }
gint node_get_index_in_parent(AtkObject* o) { return node_index(o); }
AtkObject* node_get_parent(AtkObject*) { return g_frame; }

AtkStateSet* node_ref_state_set(AtkObject* o) {
  AtkStateSet* set = atk_state_set_new();
  const am::Node n = host_node(node_index(o));
  atk_state_set_add_state(set, ATK_STATE_ENABLED);
  atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
  if (!(n.states & am::state::invisible)) {
    atk_state_set_add_state(set, ATK_STATE_VISIBLE);
    atk_state_set_add_state(set, ATK_STATE_SHOWING);
  }
  if (n.states & am::state::focusable) atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
  if ((n.states & am::state::focused) && g_host->window_active()) atk_state_set_add_state(set, ATK_STATE_FOCUSED);
  // ATK has no state for an object that is being dragged; selected is the nearest.
  if (n.states & am::state::picked_up) atk_state_set_add_state(set, ATK_STATE_SELECTED);
  return set;
}

void node_get_extents(AtkComponent* c, gint* x, gint* y, gint* w, gint* h, AtkCoordType coords) {
  const am::Node n = host_node(node_index(c));
  int ox = 0, oy = 0;
  if (coords == ATK_XY_SCREEN) g_host->window_origin(&ox, &oy);
  if (x) *x = n.x + ox;
  if (y) *y = n.y + oy;
  if (w) *w = n.width;
  if (h) *h = n.height;
}
gboolean node_grab_focus(AtkComponent* c) { return g_host->take_focus(node_index(c)); }
AtkLayer node_get_layer(AtkComponent*) { return ATK_LAYER_WIDGET; }

gboolean node_do_action(AtkAction* a, gint i) { return g_host->do_action(node_index(a), i); }
gint node_get_n_actions(AtkAction* a) { return host_node(node_index(a)).action_count; }
const gchar* node_action_name(AtkAction* a, gint i) {
  return i >= 0 && i < node_get_n_actions(a) ? g_host->action_name(node_index(a), i) : nullptr;
}
const gchar* node_action_label(AtkAction* a, gint i) {
  return i >= 0 && i < node_get_n_actions(a) ? g_host->action_label(node_index(a), i) : nullptr;
}

void node_component_init(gpointer g, gpointer) {
  auto* iface = static_cast<AtkComponentIface*>(g);
  iface->get_extents = node_get_extents;
  iface->grab_focus = node_grab_focus;
  iface->get_layer = node_get_layer;
}
void node_action_init(gpointer g, gpointer) {
  auto* iface = static_cast<AtkActionIface*>(g);
  iface->do_action = node_do_action;
  iface->get_n_actions = node_get_n_actions;
  iface->get_name = node_action_name;
  iface->get_localized_name = node_action_label;
  iface->get_description = node_action_label;
}

void mv_node_class_init(gpointer klass, gpointer) {
  AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
  atk->get_name = node_get_name;
  atk->get_description = node_get_description;
  atk->get_role = node_get_role;
  atk->get_n_children = node_get_n_children;
  atk->get_index_in_parent = node_get_index_in_parent;
  atk->get_parent = node_get_parent;
  atk->ref_state_set = node_ref_state_set;
}

GType mv_node_get_type() {
  static const GType type = register_type("MorvaneNode", mv_node_class_init, sizeof(MvNode),
                                          {{ATK_TYPE_COMPONENT, node_component_init}, {ATK_TYPE_ACTION, node_action_init}});
  return type;
}

int node_index(gpointer o) { return reinterpret_cast<MvNode*>(o)->index; }

// ---- the notification that carries the sentences ----

const gchar* notification_get_name(AtkObject*) { return g_host->sentence(); }
AtkRole notification_get_role(AtkObject*) { return ATK_ROLE_NOTIFICATION; }
gint notification_index(AtkObject*) { return g_host->node_count(); }
AtkStateSet* notification_ref_state_set(AtkObject*) {
  AtkStateSet* set = atk_state_set_new();
  atk_state_set_add_state(set, ATK_STATE_ENABLED);
  if (*g_host->sentence()) {
    atk_state_set_add_state(set, ATK_STATE_VISIBLE);
    atk_state_set_add_state(set, ATK_STATE_SHOWING);
  }
  return set;
}
void mv_notification_class_init(gpointer klass, gpointer) {
  auto* atk = static_cast<AtkObjectClass*>(klass);
  atk->get_name = notification_get_name;
  atk->get_role = notification_get_role;
  atk->get_n_children = node_get_n_children;
  atk->get_index_in_parent = notification_index;
  atk->get_parent = node_get_parent;
  atk->ref_state_set = notification_ref_state_set;
}
GType mv_notification_get_type() {
  static const GType type = register_type("MorvaneNotification", mv_notification_class_init, sizeof(AtkObject));
  return type;
}

// ---- the window and the application ----

const gchar* frame_get_name(AtkObject*) { return g_host->window_title(); }
const gchar* frame_get_description(AtkObject*) { return g_host->window_description(); }
AtkRole frame_get_role(AtkObject*) { return ATK_ROLE_FRAME; }
gint frame_get_n_children(AtkObject*) { return static_cast<gint>(g_nodes.size()) + 1; }
AtkObject* frame_ref_child(AtkObject*, gint i) {
  AtkObject* child = nullptr;
  if (i >= 0 && i < static_cast<gint>(g_nodes.size())) child = g_nodes[static_cast<std::size_t>(i)];
  else if (i == static_cast<gint>(g_nodes.size())) child = g_notification;
  return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}
gint frame_index(AtkObject*) { return 0; }
AtkObject* frame_get_parent(AtkObject*) { return g_root; }
AtkStateSet* frame_ref_state_set(AtkObject*) {
  AtkStateSet* set = atk_state_set_new();
  for (AtkStateType s : {ATK_STATE_ENABLED, ATK_STATE_SENSITIVE, ATK_STATE_VISIBLE, ATK_STATE_SHOWING, ATK_STATE_RESIZABLE})
    atk_state_set_add_state(set, s);
  if (g_host->window_active()) atk_state_set_add_state(set, ATK_STATE_ACTIVE);
  return set;
}
void frame_get_extents(AtkComponent*, gint* x, gint* y, gint* w, gint* h, AtkCoordType coords) {
  int ox = 0, oy = 0;
  if (coords == ATK_XY_SCREEN) g_host->window_origin(&ox, &oy);
  int right = 0, bottom = 0;
  for (int i = 0; i < g_host->node_count(); ++i) {
    const am::Node n = g_host->node(i);
    right = n.x + n.width > right ? n.x + n.width : right;
    bottom = n.y + n.height > bottom ? n.y + n.height : bottom;
  }
  if (x) *x = ox;
  if (y) *y = oy;
  if (w) *w = right;
  if (h) *h = bottom;
}

void frame_component_init(gpointer g, gpointer) { static_cast<AtkComponentIface*>(g)->get_extents = frame_get_extents; }
void frame_window_init(gpointer, gpointer) {}
void mv_frame_class_init(gpointer klass, gpointer) {
  auto* atk = static_cast<AtkObjectClass*>(klass);
  atk->get_name = frame_get_name;
  atk->get_description = frame_get_description;
  atk->get_role = frame_get_role;
  atk->get_n_children = frame_get_n_children;
  atk->ref_child = frame_ref_child;
  atk->get_index_in_parent = frame_index;
  atk->get_parent = frame_get_parent;
  atk->ref_state_set = frame_ref_state_set;
}
GType mv_frame_get_type() {
  static const GType type = register_type("MorvaneFrame", mv_frame_class_init, sizeof(AtkObject),
                                          {{ATK_TYPE_COMPONENT, frame_component_init}, {ATK_TYPE_WINDOW, frame_window_init}});
  return type;
}

const gchar* root_get_name(AtkObject*) { return "morvane"; }
AtkRole root_get_role(AtkObject*) { return ATK_ROLE_APPLICATION; }
gint root_get_n_children(AtkObject*) { return 1; }
AtkObject* root_ref_child(AtkObject*, gint i) { return i == 0 ? ATK_OBJECT(g_object_ref(g_frame)) : nullptr; }
AtkObject* root_get_parent(AtkObject*) { return nullptr; }
void mv_root_class_init(gpointer klass, gpointer) {
  auto* atk = static_cast<AtkObjectClass*>(klass);
  atk->get_name = root_get_name;
  atk->get_role = root_get_role;
  atk->get_n_children = root_get_n_children;
  atk->ref_child = root_ref_child;
  atk->get_parent = root_get_parent;
}
GType mv_root_get_type() {
  static const GType type = register_type("MorvaneApplication", mv_root_class_init, sizeof(AtkObject));
  return type;
}

AtkObject* util_get_root() { return g_root; }
const gchar* util_toolkit_name() { return "morvane"; }
const gchar* util_toolkit_version() { return "1.0"; }

// ---- joining the bus ----

// Whether the session has an accessibility bus, asked without starting one: the
// address in the environment or on the X display's root window (which the bridge reads
// itself), or the session bus's bus service already running.
bool session_has_access_bus(char* why, int why_size) {
  if (const char* no = std::getenv("NO_AT_BRIDGE"); no && std::strcmp(no, "1") == 0) {
    std::snprintf(why, static_cast<std::size_t>(why_size), "NO_AT_BRIDGE is set");
    return false;
  }
  if (std::getenv("AT_SPI_BUS_ADDRESS")) return true;
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
    std::snprintf(why, static_cast<std::size_t>(why_size), "no session bus");
    return false;
  }
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
  bool running = false;
  if (bus) {
    running = dbus_bus_name_has_owner(bus, "org.a11y.Bus", &error);
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
  }
  if (!running)
    std::snprintf(why, static_cast<std::size_t>(why_size), "%s",
                  dbus_error_is_set(&error) ? error.message : "the session has no accessibility bus");
  dbus_error_free(&error);
  return running;
}

// What the objects answer once the program's window is gone (the bridge may still be
// asked as the process ends): an empty window.
class NoHost final : public am::Host {
 public:
  const char* window_title() override { return ""; }
  const char* window_description() override { return ""; }
  void window_origin(int* x, int* y) override { *x = *y = 0; }
  bool window_active() override { return false; }
  int node_count() override { return 0; }
  am::Node node(int) override { return {}; }
  const char* action_name(int, int) override { return ""; }
  const char* action_label(int, int) override { return ""; }
  bool do_action(int, int) override { return false; }
  bool take_focus(int) override { return false; }
  const char* sentence() override { return ""; }
};
NoHost g_no_host;

class AtkBridge final : public am::Bridge {
 public:
  AtkBridge() {
    for (int i = 0; i < g_host->node_count(); ++i) {
      auto* n = static_cast<MvNode*>(g_object_new(mv_node_get_type(), nullptr));
      n->index = i;
      g_nodes.push_back(ATK_OBJECT(n));
    }
    g_frame = ATK_OBJECT(g_object_new(mv_frame_get_type(), nullptr));
    g_notification = ATK_OBJECT(g_object_new(mv_notification_get_type(), nullptr));
    for (AtkObject* n : g_nodes) atk_object_set_parent(n, g_frame);
    atk_object_set_parent(g_notification, g_frame);
    atk_object_set_parent(g_frame, g_root);
    for (int i = 0; i < g_host->node_count(); ++i)
      if (g_host->node(i).states & am::state::focused) last_focus_ = i;
  }

  ~AtkBridge() override {
    g_host = &g_no_host;
    for (AtkObject* n : g_nodes) g_object_unref(n);
    g_nodes.clear();
  }

  void changed(am::Change change, int index) override {
    AtkObject* node = index >= 0 && index < static_cast<int>(g_nodes.size()) ? g_nodes[static_cast<std::size_t>(index)]
                                                                              : nullptr;
    switch (change) {
      case am::Change::focus:
        if (last_focus_ >= 0 && last_focus_ < static_cast<int>(g_nodes.size()) && last_focus_ != index)
          atk_object_notify_state_change(g_nodes[static_cast<std::size_t>(last_focus_)], ATK_STATE_FOCUSED, FALSE);
        last_focus_ = index;
        if (node && g_host->window_active()) {
          atk_object_notify_state_change(node, ATK_STATE_FOCUSED, TRUE);
          G_GNUC_BEGIN_IGNORE_DEPRECATIONS
          atk_focus_tracker_notify(node);
          G_GNUC_END_IGNORE_DEPRECATIONS
        }
        break;
      case am::Change::shown:
      case am::Change::hidden:
        if (!node) break;
        atk_object_notify_state_change(node, ATK_STATE_VISIBLE, change == am::Change::shown);
        atk_object_notify_state_change(node, ATK_STATE_SHOWING, change == am::Change::shown);
        break;
      case am::Change::name:
        if (node) g_object_notify(G_OBJECT(node), "accessible-name");
        break;
      case am::Change::description:
        if (node) g_object_notify(G_OBJECT(node), "accessible-description");
        break;
      case am::Change::states:
        if (!node) break;
        atk_object_notify_state_change(node, ATK_STATE_SELECTED, (g_host->node(index).states & am::state::picked_up) != 0);
        atk_object_notify_state_change(node, ATK_STATE_FOCUSABLE, (g_host->node(index).states & am::state::focusable) != 0);
        break;
      case am::Change::sentence:
        g_object_notify(G_OBJECT(g_notification), "accessible-name");
        atk_object_notify_state_change(g_notification, ATK_STATE_SHOWING, FALSE);
        atk_object_notify_state_change(g_notification, ATK_STATE_SHOWING, TRUE);
        break;
      case am::Change::window_activated:
        g_signal_emit_by_name(g_frame, "activate");
        atk_object_notify_state_change(g_frame, ATK_STATE_ACTIVE, TRUE);
        if (last_focus_ >= 0) changed(am::Change::focus, last_focus_);
        break;
      case am::Change::window_deactivated:
        g_signal_emit_by_name(g_frame, "deactivate");
        atk_object_notify_state_change(g_frame, ATK_STATE_ACTIVE, FALSE);
        break;
    }
  }

  bool wait(int display_fd, int timeout_ms) override {
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) return false;
    gint priority = 0;
    g_main_context_prepare(context, &priority);
    gint glib_timeout = -1;
    gint n = 0;
    while ((n = g_main_context_query(context, priority, &glib_timeout, fds_.data(), static_cast<gint>(fds_.size()))) >
           static_cast<gint>(fds_.size()))
      fds_.resize(static_cast<std::size_t>(n));
    std::vector<pollfd> polled(static_cast<std::size_t>(n) + 1);
    for (gint i = 0; i < n; ++i)
      polled[static_cast<std::size_t>(i)] = pollfd{fds_[static_cast<std::size_t>(i)].fd,
                                                   static_cast<short>(fds_[static_cast<std::size_t>(i)].events), 0};
    polled.back() = pollfd{display_fd, POLLIN, 0};
    int timeout = timeout_ms;
    if (glib_timeout >= 0 && (timeout < 0 || glib_timeout < timeout)) timeout = glib_timeout;
    poll(polled.data(), polled.size(), timeout);
    for (gint i = 0; i < n; ++i)
      fds_[static_cast<std::size_t>(i)].revents = static_cast<gushort>(polled[static_cast<std::size_t>(i)].revents);
    const bool ready = g_main_context_check(context, priority, fds_.data(), n);
    if (ready) g_main_context_dispatch(context);
    g_main_context_release(context);
    return ready;
  }

 private:
  std::vector<GPollFD> fds_ = std::vector<GPollFD>(8);
  int last_focus_ = -1;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) am::Bridge* morvane_start_access_bridge(am::Host* host, char* why,
                                                                                            int why_size) {
  if (!session_has_access_bus(why, why_size)) return nullptr;
  g_host = host;
  g_root = ATK_OBJECT(g_object_new(mv_root_get_type(), nullptr));
  auto* util = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
  util->get_root = util_get_root;
  util->get_toolkit_name = util_toolkit_name;
  util->get_toolkit_version = util_toolkit_version;
  auto* bridge = new AtkBridge();
  if (atk_bridge_adaptor_init(nullptr, nullptr) != 0) {
    delete bridge;
    std::snprintf(why, static_cast<std::size_t>(why_size), "the accessibility bridge did not start");
    return nullptr;
  }
  return bridge;
}
