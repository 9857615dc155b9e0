#include "register/form3.h"

#include "app/form1.h"

namespace dovi {

Form3::Form3(Form1& form1, Services services) : form1_(form1), services_(std::move(services)) {}

Form3::~Form3() = default;

}  // namespace dovi
