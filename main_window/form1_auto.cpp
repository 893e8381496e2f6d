// AUTO: the batch run, driven through the window's own pieces.
#include "form1.h"
#include "platform/paths.h"

#include "batch/auto_run.h"
#include "texts.h"

using namespace main_window;

class Form1::BatchHost final : public batch::AutoHost
{
public:
    explicit BatchHost(Form1 &form)
        : m_form(form)
    {}

    platform::CommonDialog &dialog() override { return m_form.CommonDialog1; }
    void setAutoFlag(std::int16_t value) override { m_form.AutoFlag = value; }
    core::Expected<void> loadIntoCanvas(const QString &path) override
    {
        return m_form.loadIntoCanvas(path);
    }
    void setCaptionFor(const QString &path) override
    {
        m_form.setWindowTitle(m_form.BaseCaption + QLatin1Char('(') + platform::displayPath(path) +
                              QLatin1Char(')'));
    }
    QSize convertedSize() const override
    {
        return platform::qSizeOf(core::shapedSize(
            {m_form.Picture1->ScaleWidth(), m_form.Picture1->ScaleHeight()}, m_form.m_recipe));
    }
    void layoutAfterLoad() override { m_form.LAYOUT(true); }
    void showStatus(Status status) override
    {
        m_form.setStatus(status == Status::Converting ? texts::kConverting : texts::kBinSaved);
    }
    bool convert() override { return m_form.convertCanvas(); }
    std::span<const std::uint8_t> bin() const override { return m_form.BinBuf; }
    void warnCannotLoad(const core::Error &error) override
    {
        m_form.warnFailure(texts::kCannotLoad, error);
    }
    void warnCannotSave(const core::Error &error) override
    {
        m_form.warnFailure(texts::kCannotSave, error);
    }
    void warn(const QString &text) override { m_form.warn(text); }
    void notify(const QString &text) override
    {
        m_form.m_services.messageBox.show(text, texts::kNoticeTitle);
    }

private:
    Form1 &m_form;
};

void Form1::AUTO(const std::optional<QStringList> &dropped)
{
    BatchHost host(*this);
    batch::runAuto(host, *this, dropped);
}
