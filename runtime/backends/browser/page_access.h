// The accessible tree mirrored by elements of the page (page.js's morvaneAccess): one
// element per node over the canvas, that takes the real focus and that a screen reader
// names, plus the live region and the line of text that say each sentence. The page's
// focus moving onto an element moves the window's focus; the window's focus moving
// while the page's focus is on the window's elements moves it along.
#pragma once

#include <memory>
#include <vector>

#include "runtime/core/access/access_tree.h"

namespace morvane::runtime {

class PageAccess {
 public:
  // Readies the page's elements (made at the first update); a page without
  // morvaneAccess gets none.
  PageAccess(access::AccessTree& tree, int client_width, int client_height);
  ~PageAccess();
  PageAccess(const PageAccess&) = delete;
  PageAccess& operator=(const PageAccess&) = delete;

  bool on_page() const { return on_page_; }
  // After each input: the tree's changes, put on the page.
  void update();

 private:
  void put_nodes();

  access::AccessTree& tree_;
  bool on_page_ = false;
  bool first_ = true;
};

}  // namespace morvane::runtime
