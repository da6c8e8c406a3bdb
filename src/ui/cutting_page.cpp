// CCuttingPage: the base of the cutting sheet's fourth pages.
#include "ui/cutting_page.h"

#include "app/udp_server.h"
#include "ui/fixed_point.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QFormLayout>

CCuttingPage::CCuttingPage(CUDPServer& server, NET_Machine* machine) : CPropertyPage(QString()), server_(server), machine_(machine) {}

void CCuttingPage::AddToolFields(QFormLayout* form, const int (&blockIndex)[kShownToolOffsets], const float* offsets,
                                 const ExtensionValues& extensions)
{
    for (int index : blockIndex) {
        offsetEdits_[index] = AddEditField(form, ResText(StringId::kToolOffsetLabels + index), QStringLiteral("offset%1").arg(index));
        SetFieldText(offsetEdits_[index], FormatNumber(offsets[index]));
    }
    liftEdit_ = AddEditField(form, ResText(StringId::kLiftExtension), QStringLiteral("liftExtension"));
    lineEdit_ = AddEditField(form, ResText(StringId::kLineExtension), QStringLiteral("lineExtension"));
    SetFieldText(liftEdit_, FormatFixedPoint(extensions.liftThousandths, kExtensionDecimals));
    SetFieldText(lineEdit_, FormatFixedPoint(extensions.lineThousandths, kExtensionDecimals));
}

void CCuttingPage::ReadToolFields(FieldReaders& fields, float* offsets, ExtensionValues& extensions)
{
    for (int i = 0; i < kShownToolOffsets; ++i) fields.Number(offsetEdits_[i], offsets[i]);
    fields.Thousandths(liftEdit_, extensions.liftThousandths);
    fields.Thousandths(lineEdit_, extensions.lineThousandths);
}

void CCuttingPage::Post(const MachineParamCodes& codes)
{
    changed_ = !codes.empty();
    for (uint8_t code : codes) server_.SendMachineParamCommand(machine_, code);
}
