// The whole extraction layer in one include.
#pragma once

#include "tds/extract/light_camera_record.h"
#include "tds/extract/material_record.h"
#include "tds/extract/mesh_record.h"
#include "tds/extract/record_types.h"
