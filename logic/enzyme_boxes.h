// The handlers' view of the form: the control number of the picture box that plays
// each part of the demonstration. The program's declaration of its form fills it in.
#pragma once

namespace morvane::logic {

struct EnzymeBoxes {
  int enzyme;     // the free enzyme
  int substrate;  // the substrate, dragged onto the enzyme
  int product;    // the product, once the complex is clicked
  int complex;    // the enzyme-substrate complex
};

}  // namespace morvane::logic
