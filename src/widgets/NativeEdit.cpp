#include "widgets/NativeEdit.h"

namespace {

NativeEdit::Factory& CurrentFactory()
{
    static NativeEdit::Factory factory;
    return factory;
}

}

void NativeEdit::SetFactory(Factory factory)
{
    CurrentFactory() = std::move(factory);
}

std::unique_ptr<NativeEdit> NativeEdit::Create(Canvas& canvas, const Style& style, Listener& listener)
{
    const Factory& factory = CurrentFactory();
    if (!factory)
        return nullptr;
    return factory(canvas, style, listener);
}
