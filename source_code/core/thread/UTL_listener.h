#pragma once
// Two-long messages to registered listeners. Registration is kept on both sides, so
// destroying either side unregisters it and nobody calls a dead object.
#include <set>

class UTL_broadcaster;

class UTL_listener {
public:
	UTL_listener() = default;
	virtual ~UTL_listener();
	UTL_listener(const UTL_listener&) = delete;
	UTL_listener& operator=(const UTL_listener&) = delete;

	virtual void ReceiveMessage(long message, long param) = 0;

	const std::set<UTL_broadcaster*>& broadcasters() const { return broadcasters_; }

private:
	friend class UTL_broadcaster;
	std::set<UTL_broadcaster*> broadcasters_;
};

class UTL_broadcaster {
public:
	UTL_broadcaster() = default;
	virtual ~UTL_broadcaster();
	UTL_broadcaster(const UTL_broadcaster&) = delete;
	UTL_broadcaster& operator=(const UTL_broadcaster&) = delete;

	void AddListener(UTL_listener* l);
	void RemoveListener(UTL_listener* l);
	const std::set<UTL_listener*>& listeners() const { return listeners_; }

protected:
	friend class UTL_listener;
	std::set<UTL_listener*> listeners_;
};

class UTL_postcard : public UTL_broadcaster {
public:
	UTL_postcard(UTL_listener* listener, long message, long param);  // listener may be null
	UTL_postcard(const UTL_postcard& other);
	UTL_postcard& operator=(const UTL_postcard&) = delete;

	// Calls every listener in ascending pointer order. A listener may unregister or
	// destroy itself or any other listener during its call.
	void send();
	bool dead() const { return listeners_.empty(); }

	long message;
	long param;
};
