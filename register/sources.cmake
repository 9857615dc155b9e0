set(DOVI_REGISTER_CORE
  register/registration.cpp
)
set(DOVI_REGISTER_WIDGETS
  register/form3.cpp
)
