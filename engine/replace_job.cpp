// Storage of the process-wide request record.
#include "engine/replace_job.h"

ReplaceJobRecord ReplaceJob;
