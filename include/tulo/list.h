/* Circular doubly-linked lists with a sentinel head node. */
#ifndef TULO_LIST_H
#define TULO_LIST_H

#include <tulo/cdefs.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

typedef struct RTLISTNODE
{
    struct RTLISTNODE *pNext;
    struct RTLISTNODE *pPrev;
} RTLISTNODE;
typedef RTLISTNODE *PRTLISTNODE;
/** A list is named by its sentinel head. */
typedef RTLISTNODE RTLISTANCHOR;
typedef RTLISTANCHOR *PRTLISTANCHOR;

static inline void RTListInit(PRTLISTANCHOR pList)
{
    pList->pNext = pList;
    pList->pPrev = pList;
}

static inline bool RTListIsEmpty(const RTLISTANCHOR *pList)
{
    return pList->pNext == pList;
}

/** Links pNode in at the tail. */
static inline void RTListAppend(PRTLISTANCHOR pList, PRTLISTNODE pNode)
{
    pNode->pNext = pList;
    pNode->pPrev = pList->pPrev;
    pList->pPrev->pNext = pNode;
    pList->pPrev = pNode;
}

/** Unlinks pNode and leaves it pointing nowhere. */
static inline void RTListNodeRemove(PRTLISTNODE pNode)
{
    pNode->pPrev->pNext = pNode->pNext;
    pNode->pNext->pPrev = pNode->pPrev;
    pNode->pNext = NULL;
    pNode->pPrev = NULL;
}

RT_C_DECLS_END

#endif
