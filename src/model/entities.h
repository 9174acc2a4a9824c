#pragma once

#include "model/calandar.h"
#include "model/document_records.h"
#include "model/project.h"
#include "model/resource.h"
#include "model/style.h"
#include "model/task.h"
