#include "core/thread/UTL_listener.h"

UTL_listener::~UTL_listener()
{
	for (UTL_broadcaster* b : broadcasters_)
		b->listeners_.erase(this);
}

UTL_broadcaster::~UTL_broadcaster()
{
	for (UTL_listener* l : listeners_)
		l->broadcasters_.erase(this);
}

void UTL_broadcaster::AddListener(UTL_listener* l)
{
	if (!l)
		return;
	listeners_.insert(l);
	l->broadcasters_.insert(this);
}

void UTL_broadcaster::RemoveListener(UTL_listener* l)
{
	if (!l)
		return;
	listeners_.erase(l);
	l->broadcasters_.erase(this);
}

UTL_postcard::UTL_postcard(UTL_listener* listener, long message_, long param_)
	: message(message_), param(param_)
{
	AddListener(listener);
}

UTL_postcard::UTL_postcard(const UTL_postcard& other)
	: UTL_broadcaster(), message(other.message), param(other.param)
{
	for (UTL_listener* l : other.listeners_)
		AddListener(l);
}

void UTL_postcard::send()
{
	// Find the next listener afresh after every call rather than holding an iterator:
	// the call may remove any listener, including the one after it.
	auto it = listeners_.begin();
	while (it != listeners_.end()) {
		UTL_listener* l = *it;
		l->ReceiveMessage(message, param);
		it = listeners_.upper_bound(l);
	}
}
