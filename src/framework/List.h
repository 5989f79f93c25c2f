// CStringList and CPtrList: ordered lists walked with a POSITION, as the
// framework offers them. A POSITION is the address of a node.
#pragma once

#include "framework/String.h"

struct __POSITION {};
typedef __POSITION* POSITION;

template <class T>
class CTypedList {
public:
    CTypedList() = default;
    CTypedList(const CTypedList&) = delete;
    CTypedList& operator=(const CTypedList&) = delete;
    ~CTypedList() { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    POSITION AddTail(const T& value) { return Link(new Node{value, m_pTail, nullptr}); }
    POSITION AddHead(const T& value) { return Link(new Node{value, nullptr, m_pHead}); }

    POSITION GetHeadPosition() const { return Pos(m_pHead); }
    POSITION GetTailPosition() const { return Pos(m_pTail); }
    T& GetHead() { return m_pHead->value; }
    T& GetTail() { return m_pTail->value; }

    // Returns the element at rPos and moves rPos to the next one (null after the last).
    T& GetNext(POSITION& rPos) const
    {
        Node* n = AsNode(rPos);
        rPos = Pos(n->next);
        return n->value;
    }
    T& GetPrev(POSITION& rPos) const
    {
        Node* n = AsNode(rPos);
        rPos = Pos(n->prev);
        return n->value;
    }
    T& GetAt(POSITION pos) const { return AsNode(pos)->value; }

    POSITION Find(const T& value) const
    {
        for (Node* n = m_pHead; n; n = n->next)
            if (n->value == value)
                return Pos(n);
        return nullptr;
    }
    POSITION FindIndex(int nIndex) const
    {
        Node* n = m_pHead;
        for (; n && nIndex > 0; --nIndex)
            n = n->next;
        return nIndex < 0 ? nullptr : Pos(n);
    }

    void RemoveAt(POSITION pos)
    {
        Node* n = AsNode(pos);
        (n->prev ? n->prev->next : m_pHead) = n->next;
        (n->next ? n->next->prev : m_pTail) = n->prev;
        delete n;
        --m_nCount;
    }
    T RemoveHead()
    {
        T value = m_pHead->value;
        RemoveAt(Pos(m_pHead));
        return value;
    }
    void RemoveAll()
    {
        while (m_pHead)
            RemoveAt(Pos(m_pHead));
    }

private:
    struct Node {
        T value;
        Node* prev;
        Node* next;
    };
    static POSITION Pos(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* AsNode(POSITION p) { return reinterpret_cast<Node*>(p); }
    POSITION Link(Node* n)
    {
        (n->prev ? n->prev->next : m_pHead) = n;
        (n->next ? n->next->prev : m_pTail) = n;
        ++m_nCount;
        return Pos(n);
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    int m_nCount = 0;
};

class CStringList : public CTypedList<CString> {
public:
    explicit CStringList(int /*nBlockSize*/ = 10) {}
};

class CPtrList : public CTypedList<void*> {
public:
    explicit CPtrList(int /*nBlockSize*/ = 10) {}
};
