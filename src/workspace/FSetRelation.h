#pragma once
// The relation dialog: the user picks two fields and gets their equality, such as (A=B), as
// one condition of the query builder.

#include "platform/rtl/StringList.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFormSetRelation;
}

class TFormSetRelation : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSetRelation(QWidget *parent = nullptr);
    ~TFormSetRelation() override;

    /// The term built on OK; '' until then.
    const QString &FRelation() const { return m_relation; }

    void ListBox1Click();
    void BtnOkClick();

    Ui::TFormSetRelation &form() { return *ui; }

private:
    void FormCreate();

    std::unique_ptr<Ui::TFormSetRelation> ui;
    QString m_relation;
};

/// Shows the relation dialog over the fields `Items`; true on OK with the term in `Relation`,
/// false with Relation '' otherwise.
bool SetRelation(const rtl::TStringList &Items, QString &Relation);

/// The relation dialog while it is shown.
extern TFormSetRelation *FormSetRelation;
