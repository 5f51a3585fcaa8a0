// The whole chunk toolkit in one include.
#pragma once

#include "tds/chunk/chunk_catalogue.h"
#include "tds/chunk/chunk_data.h"
#include "tds/chunk/chunk_file.h"
#include "tds/chunk/chunk_ids.h"
#include "tds/chunk/chunk_tree.h"
#include "tds/chunk/errors.h"
#include "tds/chunk/keyframer_naming.h"
