#pragma once

#include "project/face_data.h"

#include <vector>

class CProjectFolderStore;

// The faces of the store's channel in the order of its channel file, each with its items as the
// timeline holds them (a LINK item with the kind of the item it shows). A face whose face file
// did not load has no items.
std::vector<tagTL_FACE_DATA> ReadProjectFaces(const CProjectFolderStore& store);
