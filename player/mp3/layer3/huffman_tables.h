// The decoding trees of the big-value tables 0..31 and the count1 tables.
#pragma once

#include "player/mp3/layer3/huffman_tree.h"

namespace mp3::layer3 {

struct PairTable {
  const HuffmanNode* tree;  // null: table 0 (all values zero) or a table that does not exist
  int linbits;
  bool exists;
};

// Table `index` (0..31) of the big-values region.
const PairTable& PairTableFor(int index);

// Count1 table A; table B is a fixed 4-bit code needing no tree.
const HuffmanNode* Count1TreeA();

}  // namespace mp3::layer3
