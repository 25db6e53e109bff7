#include "app/app.h"

namespace spanwright {

void createBatch(int) {}

}  // namespace spanwright
