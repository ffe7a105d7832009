// The shared math types in one include: vectors, matrices, quaternions and colours.
#pragma once

#include "core/colour.h"
#include "core/matrix.h"
#include "core/quaternion.h"
#include "core/vector.h"
