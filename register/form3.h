// The registration dialog.
#pragma once

#include <QDialog>

#include "app/services.h"

namespace dovi {

class Form1;

class Form3 final : public QDialog {
    Q_OBJECT
public:
    Form3(Form1& form1, Services services);
    ~Form3() override;

private:
    Form1& form1_;
    Services services_;
};

}  // namespace dovi
